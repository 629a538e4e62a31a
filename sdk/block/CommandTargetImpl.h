#pragma once
// CCommandTargetImpl<B>: the command-target layer. It carries out no command; the block
// base replaces ExecuteCommand with its own dispatch.
#include "vtx/Command.h"

namespace Vtx {

template <class B>
class CCommandTargetImpl : public B {
public:
    bool ExecuteCommand(ICommand*) override { return false; }

protected:
    CCommandTargetImpl() = default;
    ~CCommandTargetImpl() = default;
};

} // namespace Vtx
