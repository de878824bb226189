// A deliberate wall crossing: the engine including the top layer.
#include "host/render_driver.h"
