// An image helper that reaches up into the effect layer.
#include "testhost/effect/instance.h"
