// A deliberate wall crossing: GL outside the engine.
#include <glad/gl.h>
