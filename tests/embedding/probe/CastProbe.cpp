#include "probe/CastProbe.h"

namespace {

#if VTX_PROBE_ORDER == 1
class CProbe final : public IProbeLeft, public IProbeMiddle, public IProbeRight {
#else
class CProbe final : public IProbeLeft, public IProbeRight, public IProbeMiddle {
#endif
public:
    int WhichLeft() override { return kProbeLeft; }
    int WhichMiddle() override { return kProbeMiddle; }
    int WhichRight() override { return kProbeRight; }
};

} // namespace

extern "C" __attribute__((visibility("default"))) IProbeLeft* VtxProbe_Make() { return new CProbe; }
extern "C" __attribute__((visibility("default"))) void VtxProbe_Free(IProbeLeft* probe) { delete probe; }
