#pragma once
// The datatypes of the "kernel" catalog, by family, and the text forms of numbers they
// share with the domains and the patch files.
#include "host/kernel/LabelledSet.h"
#include "host/kernel/NumberTexts.h"
#include "host/kernel/OtherDatatypes.h"
#include "host/kernel/ScalarDatatypes.h"
#include "host/kernel/TextDatatypes.h"
