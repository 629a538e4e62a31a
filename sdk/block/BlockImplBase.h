#pragma once
// CBlockImplBase<IBlock>: the base of every block. It implements the host's block
// interface; each public operation is a thin wrapper that traces the call, runs a
// protected overridable, reports a false result or a trapped exception to the host and
// keeps the little state (started, initialised) that decides whether the next call runs.
// Longer than our other files: a template base, so all of its operations live in its header.
// A concrete block overrides protected operations only; the public ones are final.
//
// Layers, from the interface down:
//   IBlock -> CEventSourceImpl -> CCommandTargetImpl -> CPropertyContainerImpl
//   -> reference count, deletion policy -> CObjectImpl -> CSignedObjectImpl -> CBlockImplBase
// No layer above this one adds a virtual operation, so the main table holds IBlock's
// operations, then the destructor, then the protected operations in declaration order.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <limits>
#include <list>
#include <map>
#include <string>

#include "platform/Gdi.h"
#include "sdk/block/BlockDeclarations.h"
#include "sdk/block/BlockReports.h"
#include "sdk/block/CommandTargetImpl.h"
#include "sdk/block/EventSourceImpl.h"
#include "sdk/block/PinDescription.h"
#include "sdk/block/PropertyContainerImpl.h"
#include "sdk/datatype/CopyValueAndTime.h"
#include "sdk/datatype/DatatypeIdentity.h"
#include "sdk/object/Exceptions.h"
#include "sdk/object/MessageTable.h"
#include "sdk/object/ObjectImpl.h"
#include "sdk/object/SmartPtr.h"
#include "vtx/Block.h"
#include "vtx/BlockClass.h"
#include "vtx/BlockSignature.h"
#include "vtx/Datatype.h"
#include "vtx/DiagnosticLog.h"
#include "vtx/Domain.h"
#include "vtx/KernelServices.h"
#include "vtx/Layout.h"
#include "vtx/MessageDispatcher.h"
#include "vtx/Pin.h"
#include "vtx/RunTimeContext.h"

namespace Vtx {

// The block's run-time context, made by the kernel services for the block.
struct CRunTimeContextFactory {
    template <class Block>
    static IRunTimeContext* Create(IKernelServices* services, Block* block) {
        return services->CreateRunTimeContext(block);
    }
};

// A background colour, each channel nominally 0.0 to 1.0.
struct BlockColour {
    double red;
    double green;
    double blue;
};

template <class I = IBlock>
class CBlockImplBase
    : public CSignedObjectImpl<CPropertyContainerImpl<CCommandTargetImpl<CEventSourceImpl<I>>>, IBlockClass> {
    using Base = CSignedObjectImpl<CPropertyContainerImpl<CCommandTargetImpl<CEventSourceImpl<I>>>, IBlockClass>;

public:
    using value_changed_callback = pin_description::value_changed_callback;
    using value_changing_callback = pin_description::value_changing_callback;
    using value_changed_listeners = std::map<IParameterPinSignature*, std::list<value_changed_callback>>;
    using value_changing_listeners = std::map<IParameterPinSignature*, std::list<value_changing_callback>>;

    explicit CBlockImplBase(const OBJECT_CREATIONCTX* context) : Base(context) {
        IKernelServices* services = this->GetKernelServices();
        signature_.Create(services, Self());
        layout_.Create(services, Self());
        runTimeContext_.Create(services, Self());
        this->SetEventDispatcher(services->GetMessageDispatcher());
    }

    CBlockImplBase(const CBlockImplBase&) = delete;
    CBlockImplBase& operator=(const CBlockImplBase&) = delete;

    // ---- signature ----

    void InitInstance(IBlockSignature* signature, IBlockLayout* layout, std::uintptr_t extra) final {
        TranslateStdExceptions([&] {
            CBlockLogScope log(this->GetKernelServices());
            if (!signature) {
                TracedSignatureStep(log, "InitSignature", [&] { InitSignature(); });
                return;
            }
            CSmartPtr<IBlockSignature, CBlockSignatureFactory> previous(signature_);
            // Back to the block's own signature, rebuilt, with the compatible values of the
            // rejected one carried over; the given layout stays, emptied. The failure is
            // reported under the type it was thrown as.
            auto reject = [&](const char* type, const char* message) {
                ReportUnhandled(log, type, "InitInstance", message);
                CSmartPtr<IBlockSignature, CBlockSignatureFactory> rejected(signature_);
                signature_ = previous;
                ForgetListeners();
                if (signature_) signature_->Clear();
                if (layout_) layout_->Clear();
                TracedSignatureStep(log, "InitSignature", [&] { InitSignature(); });
                RestoreParameterValues(rejected.get());
            };
            try {
                ForgetListeners();
                signature_ = signature;
                layout_ = layout;
                PassExtra(extra);
                TracedSignatureStep(log, "CheckSignature", [&] { CheckSignature(); });
            } catch (IException& e) {
                reject(BlockTexts::kTypeVtxException, e.GetMessageText());
            } catch (const std::exception& e) {
                reject(BlockTexts::kTypeStdException, e.what());
            }
        });
    }

    void DoneInstance() final {
        TranslateStdExceptions([&] {
            CBlockLogScope log(this->GetKernelServices());
            ForgetListeners();
            if (signature_) signature_->Clear();
            TracedSignatureStep(log, "DoneSignature", [&] { DoneSignature(); });
        });
    }

    IBlockSignature* GetSignature() final { return signature_.get(); }
    IBlockLayout* GetLayout() final { return layout_.get(); }
    IBlockExtension* GetExtensionA() final { return nullptr; }
    IBlockExtension* GetExtensionB() final { return nullptr; }
    IRunTimeContext* GetRunTimeContext() final { return runTimeContext_.get(); }
    bool GetOptionFlag0() final { return optionFlags_[0] != 0; }

    // ---- lifecycle ----

    bool Init(IKernelClock* clock, void* context, std::uintptr_t, std::uintptr_t) final {
        clock_ = clock;
        initContext_ = context;
        return RunReported("Init", TraceThreshold::kLifecycle, [&] { return OnInit(); });
    }

    bool Check() final { return RunReported("Check", TraceThreshold::kLifecycle, [&] { return OnCheck(); }); }

    bool Start() final {
        started_ = 1;
        return RunReported("Start", TraceThreshold::kLifecycle, [&] { return OnStart(); });
    }

    bool Execute(std::uintptr_t) final {
        return RunReported("Execute", TraceThreshold::kExecute, [&] { return OnExecute(); });
    }

    void Stop() final {
        if (!started_) return;
        started_ = 0;
        RunReported("Stop", TraceThreshold::kLifecycle, [&] {
            OnStop();
            return true;
        });
    }

    void Done() final {
        if (clock_ && initContext_) {
            RunReported("Done", TraceThreshold::kLifecycle, [&] {
                OnDone();
                return true;
            });
        }
        clock_ = nullptr;
        initContext_ = nullptr;
    }

    bool SetParameter(IParameterPinSignature* parameter, IDatatype* newValue) final {
        return TranslateStdExceptions([&] { return ChangeParameter(parameter, newValue); });
    }

    // ---- drawing and option family ----

    bool GetOptionFlag6() final { return DoGetOptionFlag6(); }
    bool GetOptionFlag1() final { return DoGetOptionFlag1(); }
    bool HasOwnerDrawnArea() final { return DoHasOwnerDrawnArea(); }
    bool GetOptionFlag3() final { return DoGetOptionFlag3(); }
    void* CreateOwnerDrawnWindow(void* parent) final { return DoCreateOwnerDrawnWindow(parent); }
    void DestroyOwnerDrawnWindow() final { DoDestroyOwnerDrawnWindow(); }
    bool GetOptionFlag4() final { return DoGetOptionFlag4(); }
    bool GetOptionFlag5() final { return DoGetOptionFlag5(); }
    void* CreatePropertyWindow(void* parent) final { return DoCreatePropertyWindow(parent); }
    void DestroyPropertyWindow() final { DoDestroyPropertyWindow(); }
    bool GetOptionFlag7() final { return DoGetOptionFlag7(); }
    BlockSize* GetOwnerDrawnSize(BlockSize* size) final {
        DoGetOwnerDrawnSize(size);
        return size;
    }
    std::int32_t GetDrawingValue1() final { return DoGetDrawingValue1(); }
    std::int32_t GetDrawingValue2() final { return DoGetDrawingValue2(); }
    void OnDrawingEvent(std::uintptr_t a1, std::uintptr_t a2) final { DoDrawingEvent(a1, a2); }
    void OnDrawingEventEx(std::uintptr_t a1, std::uintptr_t a2, std::uintptr_t a3) final {
        DoDrawingEventEx(a1, a2, a3);
    }
    bool OnBackgroundChanged(void* value) final { return DoBackgroundChanged(value); }
    void OnAreasChanged(std::uintptr_t word, std::int32_t r1, std::int32_t r2, std::int32_t r3, std::int32_t r4,
                        std::int32_t r5, std::int32_t r6, std::int32_t r7, std::int32_t r8,
                        std::uintptr_t extra) final {
        DoAreasChanged(word, r1, r2, r3, r4, r5, r6, r7, r8, extra);
    }
    void PaintNCAreas(void* deviceContext, const BlockRect* areas, std::int32_t count, std::uintptr_t extra) final {
        DrawNCAreas(static_cast<platform::HDC>(deviceContext), areas, count, extra);
    }
    bool ReleaseDrawingResources() final {
        DoReleaseDrawingResources();
        return true;
    }

    // ---- commands and alarms ----

    // A parameter command sets the parameter; a layout action runs one operation of the
    // drawing family. A Vtx exception on the way is sent to the dispatcher as a failed
    // command (kind 2) and answered with false.
    bool ExecuteCommand(ICommand* command) final {
        return TranslateStdExceptions([&] {
            try {
                if (!command) return false;
                switch (command->GetCommandKind()) {
                case kCommandSetParameter: {
                    ISetParamCommand* set = interface_cast<ISetParamCommand>(command);
                    return SetParameter(set->GetParameter(), set->GetNewValue());
                }
                case kCommandBlockLayoutAction:
                    return RunLayoutAction(interface_cast<IBlockLayoutActionCommand>(command));
                default:
                    return false;
                }
            } catch (IException& e) {
                SendDispatcherMessage(this->GetEventDispatcher(), Source(), kMessageFailedCommand,
                                      e.GetMessageText() ? e.GetMessageText() : "");
                return false;
            }
        });
    }

    void OnAlarm(std::uintptr_t, std::uintptr_t, std::uintptr_t, std::uintptr_t, std::uintptr_t, std::uintptr_t,
                 std::uintptr_t) final {}
    void OnAlarmEx(std::uintptr_t, std::uintptr_t, std::uintptr_t, std::uintptr_t, std::uintptr_t, std::uintptr_t,
                   std::uintptr_t, std::uintptr_t, std::uintptr_t) final {}

protected:
    ~CBlockImplBase() override {
        valueChangedListeners_.clear();
        valueChangingListeners_.clear();
        if (brush_) platform::DeleteObject(brush_);
        brush_ = nullptr;
        // Members release run-time context, layout and signature, in that order.
    }

    // ---- protected overridables, in table order ----

    virtual void InitSignature() {}
    virtual void DoneSignature() {}
    virtual void CheckSignature() {}
    virtual void PassExtra(std::uintptr_t extra) {
        if (IBlockExtension* extension = GetExtensionA()) extension->PassExtra(extra);
    }
    // For each parameter of this block's signature (the count is read again on every step,
    // so parameters a change adds are visited too): the other signature's parameter of the
    // same id, when its value has the same class identity and is not a kernel trigger, is
    // set through SetParameter. Refused and failing changes are skipped.
    virtual void RestoreParameterValues(IBlockSignature* other) {
        if (!other || !signature_) return;
        IPinCollection<IParameterPinSignature>* own = signature_->GetParameters();
        IPinCollection<IParameterPinSignature>* theirs = other->GetParameters();
        if (!own || !theirs) return;
        for (std::int32_t i = 0; i < own->GetCount(); ++i) {
            IParameterPinSignature* parameter = own->GetAt(i);
            const char* id = parameter->GetId();
            if (!theirs->HasId(id)) continue;
            IDatatype* value = parameter->GetValue();
            IDatatype* stored = theirs->GetById(id)->GetValue();
            if (!value || !stored || !CarriesOver(value, stored)) continue;
            try {
                SetParameter(parameter, stored);
            } catch (const IException&) {
                // Like a refusal: the value stays as the rebuilt signature made it.
            }
        }
    }
    virtual bool OnChangingParameter(const std::string& id, IDatatype* newValue) { return true; }
    virtual bool OnChangingParameter(IParameterPinSignature* parameter, IDatatype* newValue) {
        return OnChangingParameter(IdOf(parameter), newValue);
    }
    virtual void OnChangedParameter(const std::string& id) {}
    virtual void OnChangedParameter(IParameterPinSignature* parameter) { OnChangedParameter(IdOf(parameter)); }
    virtual std::int32_t GetReservedValue() { return 0; }
    virtual void SetReservedValue(std::uintptr_t) {}

    // The drawing family.
    virtual bool DoGetOptionFlag1() { return optionFlags_[1] != 0; }
    virtual bool DoHasOwnerDrawnArea() { return false; }
    virtual bool DoGetOptionFlag3() { return optionFlags_[3] != 0; }
    virtual void* DoCreateOwnerDrawnWindow(void*) { throw CLogicExceptionImpl(Messages::kMethodNotOverridden); }
    virtual void DoDestroyOwnerDrawnWindow() { throw CLogicExceptionImpl(Messages::kMethodNotOverridden); }
    virtual bool DoGetOptionFlag4() { return optionFlags_[4] != 0; }
    virtual bool DoGetOptionFlag5() { return optionFlags_[5] != 0; }
    virtual void* DoCreatePropertyWindow(void*) { throw CLogicExceptionImpl(Messages::kMethodNotOverridden); }
    virtual void DoDestroyPropertyWindow() { throw CLogicExceptionImpl(Messages::kMethodNotOverridden); }
    virtual bool DoGetOptionFlag6() { return optionFlags_[6] != 0; }
    virtual bool DoGetOptionFlag7() { return optionFlags_[7] != 0; }
    virtual void DoGetOwnerDrawnSize(BlockSize* size) {
        if (size) *size = size_;
    }
    virtual std::int32_t DoGetDrawingValue1() { return drawingValue1_; }
    virtual std::int32_t DoGetDrawingValue2() { return drawingValue2_; }
    virtual BlockColour DoGetBackgroundColour() { return background_; }
    virtual void DoDrawingEvent(std::uintptr_t, std::uintptr_t) {}
    virtual void DoDrawingEventEx(std::uintptr_t, std::uintptr_t, std::uintptr_t) {}
    virtual bool DoBackgroundChanged(void*) {
        brushStale_ = 1;
        return true;
    }
    virtual void DoAreasChanged(std::uintptr_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                                std::int32_t, std::int32_t, std::int32_t, std::uintptr_t) {}
    // Fills each area (left, top, width, height) with a solid brush of the background
    // colour; the brush is made when there is none or it went stale, also for no areas.
    virtual void DrawNCAreas(platform::HDC deviceContext, const BlockRect* areas, std::int32_t count,
                             std::uintptr_t extra) {
        if (brushStale_ || !brush_) {
            if (brush_) platform::DeleteObject(brush_);
            brush_ = nullptr;
            const BlockColour colour = DoGetBackgroundColour();
            brush_ = platform::CreateSolidBrush(platform::RGB(
                ColourChannel(colour.red), ColourChannel(colour.green), ColourChannel(colour.blue)));
            if (!brush_) throw CLogicExceptionImpl(BlockTexts::kBrushCreationFailed);
            brushStale_ = 0;
        }
        if (count < 1) return;
        for (std::int32_t i = 0; i < count; ++i) {
            if (!areas) throw CLogicExceptionImpl(BlockTexts::kFillRectFailed);
            const BlockRect& area = areas[i];
            const platform::RECT rectangle{area.left, area.top, ClampedEnd(area.left, area.width),
                                           ClampedEnd(area.top, area.height)};
            if (!platform::FillRect(deviceContext, &rectangle, brush_))
                throw CLogicExceptionImpl(BlockTexts::kFillRectFailed);
        }
    }
    virtual void DoReleaseDrawingResources() {
        if (brush_) platform::DeleteObject(brush_);
        brush_ = nullptr;
    }

    // The lifecycle overridables, run by the public operations of the same name (whose
    // names they cannot share, having the same arguments).
    virtual bool OnInit() { return true; }
    virtual bool OnCheck() { return true; }
    virtual bool OnStart() { return true; }
    virtual bool OnExecute() { return true; }
    virtual void OnStop() {}
    virtual void OnDone() {}

    // ---- declarations and look-ups for InitSignature and CheckSignature ----

    IInputPin* AddInputPin(const pin_description& description) {
        return DeclareInputPin(&*signature_, description);
    }

    void AddOutputPin(const pin_description& description) { DeclareOutputPin(&*signature_, description); }

    // Creates the parameter, sets its permissions, registers the description's listeners,
    // applies its domain and its first layout. No reference is added to the result.
    // Declared again, the signature hands back the same parameter: the description's
    // listeners then take the place of those registered before instead of running twice.
    IParameterPinSignature* AddParameter(const pin_description& description) {
        IParameterPinSignature* parameter = CreateParameter(&*signature_, description);
        if (!description.value_changed_callbacks().empty()) {
            valueChangedListeners_[parameter].assign(description.value_changed_callbacks().begin(),
                                                     description.value_changed_callbacks().end());
        }
        if (!description.value_changing_callbacks().empty()) {
            valueChangingListeners_[parameter].assign(description.value_changing_callbacks().begin(),
                                                      description.value_changing_callbacks().end());
        }
        ApplyDomain(parameter, description);
        ApplyLayout(layout_.get(), description);
        return parameter;
    }

    // The value object of a parameter, pin input or pin output, as the interface asked for:
    // a missing id is a collection exception, a value without the interface (or no value)
    // a cast exception. No reference is added; a caller that keeps the pointer holds one.
    template <class T>
    T* GetParameterValue(const char* id) {
        return TranslateStdExceptions(
            [&] { return interface_cast<T>(signature_->GetParameters()->GetById(id)->GetValue()); });
    }
    template <class T>
    T* GetInputValue(const char* id) {
        return TranslateStdExceptions(
            [&] { return interface_cast<T>(signature_->GetInputPins()->GetById(id)->GetDatatype()); });
    }
    template <class T>
    T* GetOutputValue(const char* id) {
        return TranslateStdExceptions(
            [&] { return interface_cast<T>(signature_->GetOutputPins()->GetById(id)->GetDatatype()); });
    }

    // The editing layout of a parameter as the layout interface asked for: a logic exception
    // ("Block layout action is not valid.") without a block layout, a cast exception for a layout of another interface (or none).
    template <class L>
    L* GetParameterLayout(const char* id) {
        if (!layout_) throw CLogicExceptionImpl(Messages::kBlockLayoutActionNotValid);
        return interface_cast<L>(layout_->GetDatatypeLayout(id));
    }

    // Forgets the listeners of a parameter, for one the block removed from its signature.
    void RemoveParameterListeners(IParameterPinSignature* parameter) {
        valueChangedListeners_.erase(parameter);
        valueChangingListeners_.erase(parameter);
    }

    const value_changed_listeners& GetValueChangedListeners() const { return valueChangedListeners_; }
    const value_changing_listeners& GetValueChangingListeners() const { return valueChangingListeners_; }

    // The two host objects Init received; null outside Init..Done.
    IKernelClock* GetInitClock() const { return clock_; }
    // The current time of the clock Init received, for stamping new output values; a
    // memory exception naming the invalid (null) clock pointer outside Init..Done.
    std::int64_t GetInitClockTime() const {
        if (!clock_) throw CMemoryExceptionImpl(static_cast<const void*>(clock_));
        return clock_->GetCurrentTime();
    }
    void* GetInitContext() const { return initContext_; }
    bool IsStarted() const { return started_ != 0; }

    // Drawing state a block may set; a new background colour makes the brush stale.
    void SetOptionFlag(int index, bool value) {
        if (index >= 0 && index < 8) optionFlags_[index] = value ? 1 : 0;
    }
    void SetDrawingValues(std::int32_t first, std::int32_t second) {
        drawingValue1_ = first;
        drawingValue2_ = second;
    }
    void SetOwnerDrawnSize(BlockSize size) { size_ = size; }
    void SetBackgroundColour(double red, double green, double blue) {
        background_ = BlockColour{red, green, blue};
        brushStale_ = 1;
    }
    platform::HBRUSH GetBrush() const { return brush_; }

private:
    I* Self() { return this; }

    // Listeners are keyed by parameter objects: they go when the parameters' signature is
    // cleared or replaced, so that no key outlives its parameter.
    void ForgetListeners() {
        valueChangedListeners_.clear();
        valueChangingListeners_.clear();
    }
    IEventSource* Source() { return this; }

    static std::string IdOf(IParameterPinSignature* parameter) {
        const char* id = parameter ? parameter->GetId() : nullptr;
        return id ? id : "";
    }

    static bool SameText(const char* a, const char* b) { return std::strcmp(a ? a : "", b ? b : "") == 0; }

    // Same class identity, and not the kernel's trigger, whose setting is an event.
    static bool CarriesOver(IDatatype* value, IDatatype* stored) {
        const DatatypeClassIdentity own = ClassIdentityOf(value);
        const DatatypeClassIdentity theirs = ClassIdentityOf(stored);
        if (!SameText(own.classId, theirs.classId) || !SameText(own.catalogId, theirs.catalogId)) return false;
        return !(SameText(own.catalogId, "kernel") && SameText(own.classId, "trigger"));
    }

    static std::int32_t ClampedEnd(std::int32_t origin, std::int32_t extent) {
        const std::int64_t end = static_cast<std::int64_t>(origin) + extent;
        if (end > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
        if (end < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
        return static_cast<std::int32_t>(end);
    }

    std::string Name() { return BlockInstanceName(this->GetKernelServices(), Self()); }

    std::int32_t TraceLevel() { return traceLevel_.Read(signature_.get()); }

    // The level for an error report: a report is sent even when the level cannot be read.
    std::int32_t ReportLevel() {
        try {
            return TraceLevel();
        } catch (const IException&) {
            return 0;
        } catch (const std::exception&) {
            return 0;
        }
    }

    void Trace(CBlockLogScope& log, const char* label, std::int32_t threshold, const char* phase) {
        if (TraceLevel() >= threshold) log.Write(kLogTrace, FormatMethodTrace(Name(), label, phase));
    }

    template <class F>
    void TracedSignatureStep(CBlockLogScope& log, const char* label, F&& step) {
        Trace(log, label, TraceThreshold::kSignature, BlockTexts::kStarting);
        step();
        Trace(log, label, TraceThreshold::kSignature, BlockTexts::kReturned);
    }

    void ReportError(CBlockLogScope& log, const char* label) {
        const std::string text = FormatErrorInMethod(Name(), label);
        if (ReportLevel() >= TraceThreshold::kErrorEntry) log.Write(kLogError, text);
        SendDispatcherMessage(this->GetEventDispatcher(), Source(), kMessageErrorInMethod, text);
    }

    void ReportUnhandled(CBlockLogScope& log, const char* type, const char* label, const char* message) {
        std::string name = Name();
        if (name.empty()) name = FallbackBlockName(this->GetObjectClass());
        const std::string text = FormatUnhandledException(name, type, label, message);
        if (ReportLevel() >= TraceThreshold::kUnhandledEntry) log.Write(kLogError, text);
        SendDispatcherMessage(this->GetEventDispatcher(), Source(), kMessageUnhandledException, text);
    }

    // The frame of the lifecycle wrappers: traces around the overridable, a false result
    // reported as an error in the method, a trapped exception as an unhandled one (then
    // without the "returned" trace). Other exception types pass to the host.
    template <class F>
    bool RunReported(const char* label, std::int32_t threshold, F&& body) {
        CBlockLogScope log(this->GetKernelServices());
        try {
            Trace(log, label, threshold, BlockTexts::kStarting);
            const bool result = body();
            if (!result) ReportError(log, label);
            Trace(log, label, threshold, BlockTexts::kReturned);
            return result;
        } catch (IException& e) {
            ReportUnhandled(log, BlockTexts::kTypeVtxException, label, e.GetMessageText());
        } catch (const std::exception& e) {
            ReportUnhandled(log, BlockTexts::kTypeStdException, label, e.what());
        }
        return false;
    }

    bool MayChange(bool running, bool atRunTime, bool atDesignTime) { return running ? atRunTime : atDesignTime; }

    bool ChangeParameter(IParameterPinSignature* parameter, IDatatype* newValue) {
        CBlockLogScope log(this->GetKernelServices());
        if (!parameter || !newValue) return false;
        const bool running = runTimeContext_ ? runTimeContext_->IsPatchRunning() : false;
        if (!MayChange(running, parameter->GetChangeableAtRunTime(), parameter->GetChangeableAtDesignTime()))
            return false;
        IDatatype* current = parameter->GetValue();
        if (!current) throw CLogicExceptionImpl(Messages::kNullDatatype);
        if (parameter->GetCompareBeforeSet() && current->IsEqual(newValue)) return true;

        IDatatypeDomain* domain = parameter->GetDomain();
        IDatatypeInitInfo* currentInfo = current->GetInitInfo();
        IDatatypeInitInfo* newInfo = newValue->GetInitInfo();
        const bool infoChanges = (currentInfo && newInfo) ? !currentInfo->IsEqual(newInfo) : (currentInfo || newInfo);
        if (infoChanges && !MayChange(running, parameter->GetInitInfoChangeableAtRunTime(),
                                      parameter->GetInitInfoChangeableAtDesignTime()))
            return false;
        if (domain && !domain->IsValid(newValue)) return false;

        if (valueChangedListeners_.empty() && valueChangingListeners_.empty()) {
            Trace(log, "OnChangingParameter", TraceThreshold::kParameter, BlockTexts::kStarting);
            const bool accepted = OnChangingParameter(parameter, newValue);
            Trace(log, "OnChangingParameter", TraceThreshold::kParameter, BlockTexts::kReturned);
            if (!accepted) return false;
            Store(current, newValue, infoChanges);
            Trace(log, "OnChangedParameter", TraceThreshold::kParameter, BlockTexts::kStarting);
            OnChangedParameter(parameter);
            Trace(log, "OnChangedParameter", TraceThreshold::kParameter, BlockTexts::kReturned);
            return true;
        }

        const auto changing = valueChangingListeners_.find(parameter);
        if (changing != valueChangingListeners_.end()) {
            for (const value_changing_callback& listener : changing->second)
                if (!listener(newValue, current)) return false;
        }
        // The old value, kept for the value-changed listeners: a datatype of the same class
        // and configuration holding a copy.
        const DatatypeClassIdentity identity = ClassIdentityOf(current);
        CSmartPtr<IDatatype, CDatatypeFactory<IDatatype>> old;
        if (identity.IsComplete()) old.Create(this->GetKernelServices(), identity.catalogId, identity.classId);
        if (!old) throw CLogicExceptionImpl(Messages::kCatalogDatatype);
        old->InitInstance(currentInfo);
        CopyValueAndTime(old.get(), current);
        Store(current, newValue, infoChanges);
        const auto changed = valueChangedListeners_.find(parameter);
        if (changed != valueChangedListeners_.end()) {
            for (const value_changed_callback& listener : changed->second) listener(old.get(), current);
        }
        return true;
    }

    // The new value (and its init information when that changes) into the current value object.
    static void Store(IDatatype* current, IDatatype* newValue, bool infoChanges) {
        if (infoChanges) {
            current->DoneInstance();
            current->InitInstance(newValue->GetInitInfo());
        }
        CopyValueAndTime(current, newValue);
    }

    bool RunLayoutAction(IBlockLayoutActionCommand* command) {
        switch (command->GetAction()) {
        case 0: return DoHasOwnerDrawnArea();
        case 1: return DoGetOptionFlag3();
        case 2:
            command->SetValue(DoCreateOwnerDrawnWindow(command->GetValue()));
            return command->GetValue() != nullptr;
        case 3: DoDestroyOwnerDrawnWindow(); return true;
        case 4: return DoGetOptionFlag4();
        case 5: return DoGetOptionFlag5();
        case 6: return DoGetOptionFlag1();
        case 7:
            command->SetValue(DoCreatePropertyWindow(command->GetValue()));
            return command->GetValue() != nullptr;
        case 8: DoDestroyPropertyWindow(); return true;
        case 9: return DoGetOptionFlag6();
        case 10: {
            BlockSize size{0, 0};
            DoGetOwnerDrawnSize(&size);
            command->SetSize(size);
            return true;
        }
        case 11: return false;
        case 12: return DoBackgroundChanged(command->GetValue());
        case 13: {
            const BlockRect second = command->GetSecondRectangle();
            const BlockRect first = command->GetFirstRectangle();
            DoAreasChanged(command->GetWord(), second.left, second.top, second.width, second.height, first.left,
                           first.top, first.width, first.height, command->GetExtraWord());
            return true;
        }
        case 14: DoReleaseDrawingResources(); return true;
        default: return false;
        }
    }

    CSmartPtr<IBlockSignature, CBlockSignatureFactory> signature_;
    CSmartPtr<IBlockLayout, CBlockLayoutFactory> layout_;
    CSmartPtr<IRunTimeContext, CRunTimeContextFactory> runTimeContext_;
    IKernelClock* clock_ = nullptr;
    void* initContext_ = nullptr;
    std::int32_t started_ = 0;
    unsigned char optionFlags_[8] = {0, 1, 0, 0, 0, 0, 0, 1};
    std::int32_t drawingValue1_ = 0;
    std::int32_t drawingValue2_ = 0;
    BlockSize size_{0, 0};
    BlockColour background_{0.0, 0.0, 0.0};
    platform::HBRUSH brush_ = nullptr;
    std::int32_t brushStale_ = 0;
    value_changed_listeners valueChangedListeners_;
    value_changing_listeners valueChangingListeners_;
    CTraceLevelReader traceLevel_;
};

} // namespace Vtx
