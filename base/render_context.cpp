#include "base/render_context.h"

namespace qv {

RenderRequest &HandRenderRequestToHost(PF_PreRenderExtra *extra)
{
    RenderRequest *request = new RenderRequest;  /* nothing that can throw until the host holds it */
    extra->output->pre_render_data = request;
    extra->output->delete_pre_render_data_func = FreeRenderRequest;
    return *request;
}

void FreeRenderRequest(void *request)
{
    delete static_cast<RenderRequest *>(request);
}

} // namespace qv
