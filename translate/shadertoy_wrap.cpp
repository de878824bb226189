#include "translate/shadertoy_wrap.h"

namespace qv {

// Kept as literals rather than files: the head's trailing spaces and missing
// final line feed would not survive an editor.
const char kShadertoyHead[] =
    "\n#define iResolution resolution\n#define iTime time\n#define iMouse point[0]\n"
    "#define iTimeDelta (1/fps)\n#define iFrame (fps*time)\n    ";
const char kShadertoyTail[] = "\nvoid main(){\nmainImage(outColor,uv2xy(uv));\n}\n";

void wrapShadertoyCode(std::string &code)
{
    code.insert(0, kShadertoyHead);
    code += kShadertoyTail;
}

} // namespace qv
