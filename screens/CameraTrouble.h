#pragma once

#include <QString>

// Why the camera cannot be used, in the words every screen uses for it.
namespace CameraTrouble {

// A camera that is plugged in but could not be opened (an errno value); empty for 0.
QString openFailure(int code);

// An exchange that failed or got no usable reply: why the camera was last refused, or
// that it did not answer usably.
QString exchangeFailure();

}
