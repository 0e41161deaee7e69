#pragma once

// Qt 5 loads its bearer plugins when the first network access manager is made, and
// the NetworkManager one connects to the system bus there and then, on the GUI thread:
// a bus that accepts and never answers would freeze the wizard. The wizard needs no
// bearer management, so none is ever loaded.
namespace BearerPlugins {

// Call after the application object exists and before any network access manager is
// made; later calls do nothing.
void neverLoad();

}
