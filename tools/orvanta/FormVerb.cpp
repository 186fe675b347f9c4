// orvanta form: compiles a text form into the binary form file the engine
// loads (with the resource header), or prints a form file as text.
#include <fstream>
#include <iostream>

#include "Subcommand.h"
#include "dialogs/FormFile.h"
#include "tools/authoring/FileBytes.h"

namespace {

int RunForm(const std::vector<std::string>& args) {
    std::string input, output;
    bool toText = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--text") toText = true;
        else if (args[i] == "-o" && i + 1 < args.size()) output = args[++i];
        else if (input.empty()) input = args[i];
        else throw UsageError{"unexpected argument '" + args[i] + "'"};
    }
    if (input.empty()) throw UsageError{"a form file is required"};
    if (toText == !output.empty()) throw UsageError{"give either --text or -o <out.dfm>"};

    try {
        if (toText) {
            std::cout << WriteTextForm(ReadBinaryForm(ReadFileBytes(input)).root);
            return 0;
        }
        FormFile form;
        form.root = ReadTextForm(ReadFileBytes(input));
        form.resourceName = ResourceNameFor(form.root);
        const std::string bytes = WriteBinaryForm(form);
        std::ofstream out(output, std::ios::binary | std::ios::trunc);
        out << bytes;
        if (!out.flush()) throw std::runtime_error("cannot write " + output);
    } catch (const FormError& e) {
        throw std::runtime_error(input + ": " + e.what());
    }
    return 0;
}

const OrvantaSubcommand kForm("form", "compiles a text dialog form, or prints a compiled one as text",
                              "form <form.txt> -o <form.dfm> | form --text <form.dfm>", &RunForm);

}  // namespace
