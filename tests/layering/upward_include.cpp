// Compiled in a layer with a header of the layer above; the build must refuse it.
#include RAVELO_UPWARD_HEADER
