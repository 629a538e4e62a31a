#pragma once
// A host object that keeps module objects of its own accord, beyond what its users handed
// it (a labelled set keeps the elements of its cleared items for reuse). The kernel
// services tell every keeper registered with them to let go of a catalog's objects when the
// catalog is removed, before its module is unloaded: no host object may hold module code or
// data past that point.
#include <string>

namespace vtxhost {

class IModuleObjectKeeper {
public:
    // Releases every object the keeper kept of its own accord whose class is of the catalog.
    // Runs on the thread that removes the catalog, under the kernel services' lock; the
    // keeper is not in use on another thread meanwhile (it holds objects of the module going).
    virtual void ReleaseKeptOf(const std::string& catalogId) = 0;
    // The kernel services are going; the keeper must not unregister from them any more.
    virtual void ForgetKernelServices() = 0;

protected:
    ~IModuleObjectKeeper() = default;
};

} // namespace vtxhost
