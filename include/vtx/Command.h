#pragma once
// Commands the host sends to an object that is a command target: parameter changes and
// block-layout actions. A command tells its kind; the target converts it to the interface
// of that kind with a run-time cast.
#include <cstdint>

#include "vtx/BlockGeometry.h"
#include "vtx/Fwd.h"

namespace Vtx {

struct IParameterPinSignature;

inline constexpr std::int32_t kCommandSetParameter = 1;
inline constexpr std::int32_t kCommandBlockLayoutAction = 4;

struct ICommand {
    virtual std::int32_t GetCommandKind() = 0;

protected:
    ~ICommand() = default;
};

// Kind 1: give a parameter a new value.
struct ISetParamCommand : ICommand {
    virtual IParameterPinSignature* GetParameter() = 0;
    virtual IDatatype* GetNewValue() = 0;

protected:
    ~ISetParamCommand() = default;
};

// Kind 4: an action on the block's drawing in the patch editor, numbered 0 to 14.
struct IBlockLayoutActionCommand : ICommand {
    virtual std::int32_t GetAction() = 0;
    // The action's value, in and out (window handles, colour records and the like).
    virtual void* GetValue() = 0;
    virtual void SetValue(void* value) = 0;
    // Receives the block's size for the size query.
    virtual void SetSize(const BlockSize& size) = 0;
    // The words and rectangles of the area-change action.
    virtual std::uintptr_t GetWord() = 0;
    virtual BlockRect GetFirstRectangle() = 0;
    virtual BlockRect GetSecondRectangle() = 0;
    virtual std::uintptr_t GetExtraWord() = 0;

protected:
    ~IBlockLayoutActionCommand() = default;
};

struct ICommandTarget {
    // Whether the command was carried out.
    virtual bool ExecuteCommand(ICommand* command) = 0;

protected:
    ~ICommandTarget() = default;
};

} // namespace Vtx
