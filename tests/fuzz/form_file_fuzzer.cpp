// libFuzzer target for the form-file readers: any bytes as a binary form file
// and as a text form. Failures must be FormErrors, never crashes or leaks;
// whatever reads must write and read back to the same form, and the text the
// writer prints must read back to the same text. What the form builder reads
// of a form goes through the same bytes: the class check, property texts,
// fonts, pictures and tree items.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "dialogs/DesignedClasses.h"
#include "dialogs/UnknownDesign.h"
#include "dialogs/FormFile.h"
#include "dialogs/FormScaling.h"
#include "dialogs/PictureData.h"
#include "dialogs/TreeNodeData.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

void CheckText(const FormObject& root) {
    try {
        const std::string text = WriteTextForm(root);
        Require(WriteTextForm(ReadTextForm(text)) == text);
    } catch (const FormError&) {
        // Names the text syntax cannot hold are refused; infinite floats
        // print as "+Inf" but do not read back.
    }
}

void CheckPropertyTexts(FormObject root) {
    for (size_t i = 0; i < root.properties.size(); ++i) {
        const std::string name = root.properties[i].name;
        try {
            if (auto text = root.PropertyText(name)) root.SetPropertyText(name, *text);
        } catch (const FormError&) {
        }
    }
}

void CheckPicture(const std::string& data) {
    const DesignedPicture picture = ReadPictureData(data);
    BitmapLayout layout;
    if (picture.format == PictureFormat::Bitmap && ReadBitmapLayout(picture.file, layout))
        Require(layout.bitsOffset <= picture.file.size() && layout.width > 0);
}

void CheckTreeItems(const std::string& data) {
    try {
        Require(ReadTreeNodeData(WriteTreeNodeData(ReadTreeNodeData(data))) == ReadTreeNodeData(data));
    } catch (const FormError&) {
    }
}

// What the form builder reads of each component.
void CheckDesigned(const FormObject& object, const DesignedFont& parent, bool isRoot) {
    const DesignedFont font = FontOf(object, parent, DesignDpi(object));
    for (const FormProperty& property : object.properties) {
        try {
            DesignedPropertyText(object, isRoot ? "" : object.className, property.name);
        } catch (const FormError&) {
        }
        if (property.value.type == FormValueType::Binary) {
            CheckPicture(property.value.bytes);
            CheckTreeItems(property.value.bytes);
        }
    }
    for (const FormObject& child : object.children) CheckDesigned(child, font, false);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        const FormFile form = ReadBinaryForm(bytes);
        Require(ReadBinaryForm(WriteBinaryForm(form)) == form);
        CheckText(form.root);
        CheckPropertyTexts(form.root);
        // What the engine builds holds nothing it does not know.
        FormObject fitted = form.root;
        FitToDesignedClasses(fitted);
        Require(FindUnknownDesign(fitted).empty());
        CheckDesigned(form.root, DesignedFont{}, true);
    } catch (const FormError&) {
    }
    CheckPicture(std::string(bytes));
    CheckTreeItems(std::string(bytes));
    try {
        const FormObject root = ReadTextForm(bytes);
        CheckText(root);
        try {
            Require(ReadBinaryForm(WriteBinaryForm(FormFile{std::nullopt, root})).root == root);
        } catch (const FormError&) {
            // Names longer than 255 bytes have no binary form.
        }
    } catch (const FormError&) {
    }
    return 0;
}
