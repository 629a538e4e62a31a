#pragma once
// Turning pin descriptions into the pins and parameters of a host block signature, with
// their domains and editing layouts.
#include "sdk/block/PinDescription.h"
#include "vtx/Fwd.h"

namespace Vtx {

// Creates the input pin and, when the pin was created, adds the required interfaces in
// list order. Returns the pin (null when the signature made none).
IInputPin* DeclareInputPin(IBlockSignature* signature, const pin_description& description);

void DeclareOutputPin(IBlockSignature* signature, const pin_description& description);

// Creates the parameter and sets its permissions in the order flag 1, 2, 3, 4, 0, then the
// mode word. A signature that makes no parameter is a logic exception.
IParameterPinSignature* CreateParameter(IBlockSignature* signature, const pin_description& description);

// Gives the parameter's domain the description's bounds: the integer domain when one is
// attached, else the double domain. A host domain of another interface is a cast exception.
void ApplyDomain(IParameterPinSignature* parameter, const pin_description& description);

// Shows the parameter in the block layout with the description's visibility, then creates
// and fills the first attached layout: combo, file name, folder name, datatype selector.
void ApplyLayout(IBlockLayout* layout, const pin_description& description);

} // namespace Vtx
