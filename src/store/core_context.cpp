#include "store/core_context.h"

namespace tessarin {

CCoreContext::CCoreContext() = default;
CCoreContext::~CCoreContext() = default;

}  // namespace tessarin
