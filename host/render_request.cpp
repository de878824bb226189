#include "host/render_context.h"

namespace qv {

void FreeRenderRequest(void *data)
{
    RenderRequest *request = static_cast<RenderRequest *>(data);
    if (!request)
        return;
    delete[] request->code;
    delete request->params;
    delete request;
}

} // namespace qv
