#include <windows.h>
#include <oaidl.h>
#include <oleauto.h>

#include "system/Automation.h"
#include "system/WideText.h"

namespace {

// One reference to a COM interface, released on every way out.
template <typename Interface>
class ComReference {
public:
    ComReference() = default;
    explicit ComReference(Interface* adopted) : pointer_(adopted) {}
    ~ComReference() { Reset(); }
    ComReference(const ComReference&) = delete;
    ComReference& operator=(const ComReference&) = delete;

    Interface* get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    // For calls that hand out a new reference.
    Interface** Out() {
        Reset();
        return &pointer_;
    }
    void Reset() {
        if (pointer_) pointer_->Release();
        pointer_ = nullptr;
    }

private:
    Interface* pointer_ = nullptr;
};

// A VARIANT that is cleared (strings freed, references released) when it goes.
class OwnedVariant {
public:
    OwnedVariant() { VariantInit(&value_); }
    ~OwnedVariant() { VariantClear(&value_); }
    OwnedVariant(const OwnedVariant&) = delete;
    OwnedVariant& operator=(const OwnedVariant&) = delete;
    VARIANT* get() { return &value_; }

private:
    VARIANT value_;
};

// The rest of an exception answer, freed with the call.
class OwnedExceptionInfo {
public:
    OwnedExceptionInfo() { ZeroMemory(&info_, sizeof info_); }
    ~OwnedExceptionInfo() {
        SysFreeString(info_.bstrSource);
        SysFreeString(info_.bstrDescription);
        SysFreeString(info_.bstrHelpFile);
    }
    OwnedExceptionInfo(const OwnedExceptionInfo&) = delete;
    OwnedExceptionInfo& operator=(const OwnedExceptionInfo&) = delete;
    EXCEPINFO* get() { return &info_; }

private:
    EXCEPINFO info_;
};

void Check(HRESULT result, const std::string& what) {
    if (FAILED(result)) {
        char code[16];
        wsprintfA(code, "%08lX", static_cast<unsigned long>(result));
        throw AutomationError(what + " failed (0x" + code + ")");
    }
}

AutomationValue FromVariant(VARIANT& variant);

// An object reached through IDispatch, calls made by name.
class DispatchTarget final : public AutomationTarget {
public:
    explicit DispatchTarget(IDispatch* adopted) : dispatch_(adopted) {}

    AutomationValue Call(const std::string& method, const std::vector<AutomationValue>& arguments) override {
        return Invoke(DispatchId(method), DISPATCH_METHOD, arguments, method);
    }
    AutomationValue Property(const std::string& name) override {
        return Invoke(DispatchId(name), DISPATCH_PROPERTYGET, {}, name);
    }
    void SetProperty(const std::string& name, const AutomationValue& value) override {
        Invoke(DispatchId(name), DISPATCH_PROPERTYPUT, {value}, name);
    }
    std::vector<AutomationObject> Children() override;

    IDispatch* get() const { return dispatch_.get(); }

private:
    DISPID DispatchId(const std::string& name) {
        std::wstring wide = WideFromAnsi(name);
        LPOLESTR names[] = {wide.data()};
        DISPID id = DISPID_UNKNOWN;
        Check(dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), name);
        return id;
    }
    AutomationValue Invoke(DISPID id, WORD flags, const std::vector<AutomationValue>& arguments,
                           const std::string& what);

    ComReference<IDispatch> dispatch_;
};

// Arguments for one call, last first as IDispatch wants them; cleared with the call.
class ArgumentList {
public:
    explicit ArgumentList(const std::vector<AutomationValue>& arguments);
    ~ArgumentList() {
        for (VARIANT& v : values_) VariantClear(&v);
    }
    ArgumentList(const ArgumentList&) = delete;
    ArgumentList& operator=(const ArgumentList&) = delete;
    VARIANT* data() { return values_.data(); }
    UINT size() const { return static_cast<UINT>(values_.size()); }

private:
    std::vector<VARIANT> values_;
};

// Fills an empty VARIANT; what it holds is released by VariantClear.
void ToVariant(const AutomationValue& value, VARIANT& out) {
    switch (value.kind) {
        case AutomationValue::Kind::Empty: return;
        case AutomationValue::Kind::Boolean:
            out.vt = VT_BOOL;
            out.boolVal = value.boolean ? VARIANT_TRUE : VARIANT_FALSE;
            return;
        case AutomationValue::Kind::Integer:
            out.vt = VT_I4;
            out.lVal = value.integer;
            return;
        case AutomationValue::Kind::Text: {
            const std::wstring wide = WideFromAnsi(value.text);
            out.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
            if (!out.bstrVal) throw AutomationError("out of memory");
            out.vt = VT_BSTR;
            return;
        }
        case AutomationValue::Kind::Object: {
            auto* target = dynamic_cast<DispatchTarget*>(value.object.target());
            if (!target) throw AutomationError("not an automation object");
            target->get()->AddRef();
            out.vt = VT_DISPATCH;
            out.pdispVal = target->get();
            return;
        }
        case AutomationValue::Kind::List: {
            SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(value.list.size()));
            if (!array) throw AutomationError("out of memory");
            // Owned by the VARIANT from here on.
            out.vt = VT_ARRAY | VT_VARIANT;
            out.parray = array;
            for (size_t i = 0; i < value.list.size(); ++i) {
                OwnedVariant element;
                ToVariant(value.list[i], *element.get());
                LONG index = static_cast<LONG>(i);
                Check(SafeArrayPutElement(array, &index, element.get()), "list element");
            }
            return;
        }
    }
}

ArgumentList::ArgumentList(const std::vector<AutomationValue>& arguments) : values_(arguments.size()) {
    for (VARIANT& v : values_) VariantInit(&v);
    try {
        for (size_t i = 0; i < arguments.size(); ++i) ToVariant(arguments[i], values_[arguments.size() - 1 - i]);
    } catch (...) {
        for (VARIANT& v : values_) VariantClear(&v);
        throw;
    }
}

AutomationObject ObjectOf(IUnknown* unknown) {
    if (!unknown) return {};
    IDispatch* dispatch = nullptr;
    Check(unknown->QueryInterface(__uuidof(IDispatch), reinterpret_cast<void**>(&dispatch)), "object");
    return AutomationObject(std::make_shared<DispatchTarget>(dispatch));
}

// One element of an array as a VARIANT of the element's type.
void ReadElement(SAFEARRAY* array, VARTYPE type, LONG index, VARIANT& out) {
    if (type == VT_VARIANT) {
        Check(SafeArrayGetElement(array, &index, &out), "list element");
        return;
    }
    if (type == VT_RECORD || type == VT_DECIMAL) throw AutomationError("unsupported list element");
    // Every other element type sits where the VARIANT keeps its value.
    Check(SafeArrayGetElement(array, &index, &out.llVal), "list element");
    out.vt = type;
}

AutomationValue ListOf(SAFEARRAY* array, VARTYPE type) {
    if (!array || SafeArrayGetDim(array) != 1) throw AutomationError("unsupported list");
    LONG low = 0, high = -1;
    Check(SafeArrayGetLBound(array, 1, &low), "list bounds");
    Check(SafeArrayGetUBound(array, 1, &high), "list bounds");
    std::vector<AutomationValue> list;
    for (LONG i = low; i <= high; ++i) {
        OwnedVariant element;
        ReadElement(array, type, i, *element.get());
        list.push_back(FromVariant(*element.get()));
    }
    return list;
}

AutomationValue FromVariant(VARIANT& variant) {
    if (variant.vt & VT_BYREF) {
        OwnedVariant copy;
        Check(VariantCopyInd(copy.get(), &variant), "value");
        return FromVariant(*copy.get());
    }
    if (variant.vt & VT_ARRAY) return ListOf(variant.parray, variant.vt & VT_TYPEMASK);
    switch (variant.vt) {
        case VT_EMPTY:
        case VT_NULL: return {};
        case VT_BOOL: return variant.boolVal != VARIANT_FALSE;
        case VT_BSTR: return AnsiFromWide(variant.bstrVal, SysStringLen(variant.bstrVal));
        case VT_DISPATCH: return ObjectOf(variant.pdispVal);
        case VT_UNKNOWN: return ObjectOf(variant.punkVal);
        case VT_I1: case VT_I2: case VT_I4: case VT_INT:
        case VT_UI1: case VT_UI2: case VT_UI4: case VT_UINT: {
            OwnedVariant number;
            if (SUCCEEDED(VariantChangeType(number.get(), &variant, 0, VT_I4))) return static_cast<int32_t>(number.get()->lVal);
            break;
        }
        default: break;
    }
    OwnedVariant text;
    Check(VariantChangeType(text.get(), &variant, 0, VT_BSTR), "value as text");
    return AnsiFromWide(text.get()->bstrVal, SysStringLen(text.get()->bstrVal));
}

AutomationValue DispatchTarget::Invoke(DISPID id, WORD flags, const std::vector<AutomationValue>& arguments,
                                       const std::string& what) {
    ArgumentList list(arguments);
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS parameters{list.data(), nullptr, list.size(), 0};
    if (flags == DISPATCH_PROPERTYPUT) {
        parameters.rgdispidNamedArgs = &putId;
        parameters.cNamedArgs = 1;
    }
    OwnedVariant result;
    OwnedExceptionInfo exception;
    UINT badArgument = 0;
    Check(dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters,
                            flags == DISPATCH_PROPERTYPUT ? nullptr : result.get(), exception.get(), &badArgument),
          what);
    return FromVariant(*result.get());
}

std::vector<AutomationObject> DispatchTarget::Children() {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    OwnedVariant result;
    Check(dispatch_->Invoke(DISPID_NEWENUM, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                            &none, result.get(), nullptr, nullptr),
          "enumeration");
    VARIANT& answer = *result.get();
    IUnknown* unknown = answer.vt == VT_UNKNOWN ? answer.punkVal : answer.vt == VT_DISPATCH ? answer.pdispVal : nullptr;
    if (!unknown) throw AutomationError("enumeration gave no enumerator");
    ComReference<IEnumVARIANT> enumerator;
    Check(unknown->QueryInterface(__uuidof(IEnumVARIANT), reinterpret_cast<void**>(enumerator.Out())), "enumerator");
    std::vector<AutomationObject> children;
    for (;;) {
        OwnedVariant item;
        ULONG fetched = 0;
        if (enumerator->Next(1, item.get(), &fetched) != S_OK || fetched != 1) break;
        AutomationValue child = FromVariant(*item.get());
        if (child.kind == AutomationValue::Kind::Object) children.push_back(std::move(child.object));
    }
    return children;
}

}  // namespace

AutomationObject CreateAutomationObject(const std::string& progId) {
    const std::wstring name = WideFromAnsi(progId);
    CLSID classId{};
    Check(CLSIDFromProgID(name.c_str(), &classId), progId);
    IDispatch* dispatch = nullptr;
    Check(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, __uuidof(IDispatch),
                           reinterpret_cast<void**>(&dispatch)),
          progId);
    return AutomationObject(std::make_shared<DispatchTarget>(dispatch));
}

AutomationApartment::AutomationApartment()
    : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}

AutomationApartment::~AutomationApartment() {
    if (initialised_) CoUninitialize();
}
