#include "sdk/events/EventSinks.h"

#include <string>

#include "sdk/events/HeldObject.h"

namespace Vtx {

namespace {

std::string CopyText(const char* text) { return text ? std::string(text) : std::string(); }

}  // namespace

void CMsgMessageEventSinkImpl::Invoke(EventValue source, EventValue kind, const char* text) {
    TranslateStdExceptions(
        [&] { Queue([this, source, kind, text = CopyText(text)] { Handle(source, kind, text.c_str()); }); });
}

void CMsgBlockSignatureChangedEventSinkImpl::Invoke(EventValue source,
                                                    ulx::I_ReferenceCountedClass* signature) {
    TranslateStdExceptions([&] {
        Queue([this, source, signature = CHeldObject(signature)] { Handle(source, signature.get()); });
    });
}

void CMsgParameterLayoutChangedEventSinkImpl::Invoke(EventValue source, const char* parameterId,
                                                     ulx::I_ReferenceCountedClass* layout) {
    TranslateStdExceptions([&] {
        Queue([this, source, parameterId = CopyText(parameterId), layout = CHeldObject(layout)] {
            Handle(source, parameterId.c_str(), layout.get());
        });
    });
}

void CMsgParameterValueChangedEventSinkImpl::Invoke(EventValue source, EventValue parameterIndex,
                                                    ulx::I_ReferenceCountedClass* value) {
    TranslateStdExceptions([&] {
        Queue([this, source, parameterIndex, value = CHeldObject(value)] {
            Handle(source, parameterIndex, value.get());
        });
    });
}

void CMsgParameterEnabledEventSinkImpl::Invoke(EventValue source, const char* parameterId,
                                               EventValue enabled) {
    TranslateStdExceptions([&] {
        Queue([this, source, parameterId = CopyText(parameterId), enabled] {
            Handle(source, parameterId.c_str(), enabled);
        });
    });
}

void CMsgBitmapChangedEventSinkImpl::Invoke(EventValue source, ulx::I_ReferenceCountedClass* bitmap) {
    TranslateStdExceptions(
        [&] { Queue([this, source, bitmap = CHeldObject(bitmap)] { Handle(source, bitmap.get()); }); });
}

void CMsgOwnerDrawnAreaChangedEventSinkImpl::Invoke(EventValue source) {
    TranslateStdExceptions([&] { Queue([this, source] { Handle(source); }); });
}

void CMsgDocumentSizeChangedEventSinkImpl::Invoke(EventValue document) {
    TranslateStdExceptions([&] { Queue([this, document] { Handle(document); }); });
}

void CMsgPatchTopologyChangedEventSinkImpl::Invoke(EventValue patch) {
    TranslateStdExceptions([&] { Queue([this, patch] { Handle(patch); }); });
}

void CMsgSubpatchPinInfoChangedEventSinkImpl::Invoke(EventValue subpatch) {
    TranslateStdExceptions([&] { Queue([this, subpatch] { Handle(subpatch); }); });
}

}  // namespace Vtx
