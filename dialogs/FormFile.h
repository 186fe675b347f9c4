#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The designed dialog forms: a tree of objects (class, name, properties,
// children) read from and written to the binary form file ("TPF0" stream,
// optionally behind a resource header) and the text form authors write.

// Malformed form files and texts, and typed reads of a property that holds
// another kind of value. The text names what is wrong and where.
class FormError : public std::runtime_error {
public:
    explicit FormError(const std::string& text) : std::runtime_error(text) {}
};

// The value kinds of the binary format; the numbers are the type bytes.
enum class FormValueType : uint8_t {
    Null = 0x00,
    List = 0x01,
    Int8 = 0x02,
    Int16 = 0x03,
    Int32 = 0x04,
    Extended = 0x05,
    String = 0x06,
    Identifier = 0x07,
    False = 0x08,
    True = 0x09,
    Binary = 0x0A,
    Set = 0x0B,
    LongString = 0x0C,
    Nil = 0x0D,
    Collection = 0x0E,
    Single = 0x0F,
    Currency = 0x10,
    Date = 0x11,
    WideString = 0x12,
    Int64 = 0x13,
    Utf8String = 0x14,
};

// "integer", "wide string", ...: for messages.
const char* FormValueTypeName(FormValueType type);

// An 80-bit x87 extended float as stored: kept byte for byte, converted for use.
struct Extended80 {
    std::array<uint8_t, 10> bytes{};

    static Extended80 FromLongDouble(long double value);
    long double ToLongDouble() const;
    double ToDouble() const { return static_cast<double>(ToLongDouble()); }
    bool operator==(const Extended80&) const = default;
};

struct FormProperty;
struct FormCollectionItem;

// One property value. `type` says which members are meaningful; the
// factories pick the type the text form would give.
struct FormValue {
    FormValueType type = FormValueType::Null;
    int64_t integer = 0;                      // Int8..Int64; Currency: the amount times 10000
    uint64_t floatBits = 0;                   // Single (low 32 bits) and Date (IEEE double) as stored
    Extended80 extended;                      // Extended
    std::string bytes;                        // String, LongString, Identifier, Utf8String, Binary
    std::u16string wide;                      // WideString
    std::vector<std::string> names;           // Set
    std::vector<FormValue> list;              // List
    std::vector<FormCollectionItem> items;    // Collection

    static FormValue Integer(int64_t value);  // the smallest integer type that holds it
    static FormValue Bool(bool value);
    static FormValue Text(std::string ansi);  // String, or LongString beyond 255 bytes
    static FormValue Wide(std::u16string text);
    static FormValue Ident(std::string name);
    static FormValue Data(std::string data);  // Binary
    static FormValue SetOf(std::vector<std::string> names);
    static FormValue ListOf(std::vector<FormValue> values);
    static FormValue StringList(const std::vector<std::string>& ansiItems);
    static FormValue Float(long double value);  // Extended
    static FormValue Of(FormValueType type);    // Null, Nil, False, True, empty List/Collection/Set

    bool IsInteger() const;
    bool IsText() const;  // String, LongString, WideString, Utf8String

    // Typed reads; each throws FormError when the value is of another kind.
    int64_t AsInteger() const;
    bool AsBool() const;
    std::string AsText() const;          // the engine's ANSI view of any text kind
    std::u16string AsUtf16() const;      // text kinds as UTF-16; single-byte texts code by code
    const std::string& AsIdentifier() const;
    const std::string& AsBinary() const;
    double AsDouble() const;             // float kinds and integers
    std::vector<std::string> AsStringList() const;  // a list of texts, ANSI

    bool operator==(const FormValue&) const = default;
};

struct FormProperty {
    std::string name;  // dotted names ("Font.Name", "Items.Strings") are one name
    FormValue value;
    bool operator==(const FormProperty&) const = default;
};

struct FormCollectionItem {
    std::optional<FormValue> order;  // an integer when the item has an order value
    std::vector<FormProperty> properties;
    bool operator==(const FormCollectionItem&) const = default;
};

// One component of the form: the root is the form itself.
struct FormObject {
    std::string className;  // "TButton"
    std::string name;       // "Button1"; may be empty
    bool inherited = false;
    bool isInline = false;
    std::optional<FormValue> childPosition;  // an integer when stored
    std::vector<FormProperty> properties;    // in stored order
    std::vector<FormObject> children;        // in creation order

    // Property lookups compare names case-insensitively; nullptr when not stored.
    const FormValue* Find(std::string_view property) const;
    FormValue* Find(std::string_view property);
    // Typed reads with the value to use when the property is not stored
    // (the class default); a stored value of another kind throws FormError.
    int64_t Integer(std::string_view property, int64_t absent = 0) const;
    bool Bool(std::string_view property, bool absent = false) const;
    std::string Text(std::string_view property, const std::string& absent = "") const;
    std::string Identifier(std::string_view property, const std::string& absent = "") const;
    std::vector<std::string> Strings(std::string_view property) const;  // "Items.Strings", "Lines.Strings"
    std::string Binary(std::string_view property) const;               // "Picture.Data"
    // Replaces the stored value or appends the property.
    void Set(std::string_view property, FormValue value);
    bool Remove(std::string_view property);

    // Published property as text, the way the dialog rules read and write it:
    // "True"/"False", decimal integers, identifiers, texts, floats, sets as
    // "[a,b]". Empty when not stored; lists, binary data and collections have
    // no text (FormError).
    std::optional<std::string> PropertyText(std::string_view property) const;
    // Converts the text to the stored value's kind (FormError when it does
    // not fit). A property not stored yet becomes False/True, an integer or
    // a text by the look of the text.
    void SetPropertyText(std::string_view property, const std::string& text);

    // This object or a descendant by name (case-insensitive), depth first.
    const FormObject* FindObject(std::string_view objectName) const;
    FormObject* FindObject(std::string_view objectName);

    bool operator==(const FormObject&) const = default;
};

// A form file: the root object and, when the file has one, the name of its
// resource header (the root's class name upper-cased, as the tools write it).
struct FormFile {
    std::optional<std::string> resourceName;
    FormObject root;
    bool operator==(const FormFile&) const = default;
};

// The deepest nesting of objects, lists and collections the readers accept
// (a designed form needs a handful of levels).
constexpr int kFormMaxNesting = 64;

// Binary form: the "TPF0" stream, optionally behind the resource header
// FF 0A 00, zero-terminated name, 30 10, 32-bit stream size.
FormFile ReadBinaryForm(std::string_view bytes);
std::string WriteBinaryForm(const FormFile& form);
std::string ResourceNameFor(const FormObject& root);

// Where a text form's objects and properties start: one entry per object,
// depth first from the form itself, with the line of each stored property.
struct FormTextLines {
    struct Object {
        int line = 0;
        std::vector<int> properties;
    };
    std::vector<Object> objects;
};

// Text form: "object Name: TClass ... end" as Pascal writes it; `lines`,
// when given, receives the places the authoring check names.
FormObject ReadTextForm(std::string_view text, FormTextLines* lines = nullptr);
std::string WriteTextForm(const FormObject& root);  // CR LF lines
