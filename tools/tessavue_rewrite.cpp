// tessavue-rewrite: writes the figure file the palette's draw command would insert,
// from a work file exported by AutoCAD, without AutoCAD.
//
//   tessavue-rewrite --face N [options] WORK_FILE FIGURE_FILE
//
// Exit status 0 when the figure file was written, 1 when the rewrite was refused (the
// reason goes to stderr and no figure file is left), 2 for a wrong command line.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "draw/figure_rewrite.h"
#include "dxf_data/str_to_float.h"

#ifndef _WIN32
#include <iconv.h>
#endif

namespace tessavue {
namespace {

const char* const kUsage =
    "usage: tessavue-rewrite --face N [options] WORK_FILE FIGURE_FILE\n"
    "  --face N               0 top left, 1 top right, 2 left, 3 right\n"
    "  --height H             the height (default 10); 0 gives no raised copy\n"
    "  --invert-sign          the height goes the other way\n"
    "  --base X,Y             the point that becomes the origin (default 0,0)\n"
    "  --no-height-lines      raised copy without the lines joining it\n"
    "  --circle-height-lines  circles, arcs and ellipses of an existing figure get height\n"
    "                         lines\n"
    "  --project-all          WORK_FILE is AutoCAD's turned export: only moved\n"
    "  --kind K               existing (default), circle, square, hexagon, text, dimension\n"
    "  --selection FILE       the plan the height lines stand on (default: WORK_FILE\n"
    "                         unless --project-all)\n"
    "  --full FILE            the whole selection unexploded (blocks, polylines); the\n"
    "                         height lines then stand on it instead of the selection\n";

// Messages are Shift-JIS, as the palette shows them. A Windows console under a
// Japanese locale takes them as they are; elsewhere they become UTF-8.
void PrintMessage(const std::string& text) {
#ifndef _WIN32
    iconv_t codec = iconv_open("UTF-8", "CP932");
    if (codec != reinterpret_cast<iconv_t>(-1)) {
        std::string in = text;
        std::string out(text.size() * 3 + 4, '\0');
        char* inPtr = in.data();
        char* outPtr = out.data();
        std::size_t inLeft = in.size();
        std::size_t outLeft = out.size();
        const bool converted = iconv(codec, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
        iconv_close(codec);
        if (converted) {
            out.resize(out.size() - outLeft);
            std::fprintf(stderr, "%s\n", out.c_str());
            return;
        }
    }
#endif
    std::fprintf(stderr, "%s\n", text.c_str());
}

class StderrSink : public MessageSink {
public:
    void ShowConfirmation(const std::string& text) override { PrintMessage(text); }
    void ShowInformation(const std::string& text) override { PrintMessage(text); }
};

// Options and numbers are ASCII; anything else in them is no valid option anyway.
std::string AsciiText(const std::filesystem::path& argument) {
    std::string text;
    for (auto c : argument.native()) text.push_back(c > 0 && c < 0x7F ? static_cast<char>(c) : '?');
    return text;
}

struct Options {
    FigureRewrite Rewrite;
    std::filesystem::path WorkFile;
    std::filesystem::path FigureFile;
    std::optional<std::filesystem::path> Selection;
    std::filesystem::path Full;
};

std::optional<std::string> KindText(const std::string& name) {
    if (name == "existing") return std::string(kExistingFigureKind);
    if (name == "circle") return std::string("円");
    if (name == "square") return std::string("四角");
    if (name == "hexagon") return std::string("六角");
    if (name == "text") return std::string("文字");
    if (name == "dimension") return std::string("寸法");
    return std::nullopt;
}

// nullopt after telling why on stderr.
std::optional<Options> ParseOptions(const std::vector<std::filesystem::path>& args) {
    Options options;
    options.Rewrite.Inputs.Height = 10;
    options.Rewrite.Inputs.FigureKind = kExistingFigureKind;
    options.Rewrite.Inputs.CircleHeightLines = false;
    bool faceGiven = false;
    std::vector<std::filesystem::path> files;
    const auto fail = [](const std::string& why) {
        std::fprintf(stderr, "tessavue-rewrite: %s\n%s", why.c_str(), kUsage);
        return std::nullopt;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string option = AsciiText(args[i]);
        const bool takesValue = option == "--face" || option == "--height" || option == "--base" ||
                                option == "--kind" || option == "--selection" || option == "--full";
        if (takesValue && i + 1 >= args.size()) return fail(option + " needs a value");
        const std::string value = takesValue ? AsciiText(args[i + 1]) : std::string();
        if (option == "--face") {
            if (value.size() != 1 || value[0] < '0' || value[0] > '3')
                return fail("--face takes 0, 1, 2 or 3, not '" + value + "'");
            options.Rewrite.Inputs.FaceCode = value[0] - '0';
            faceGiven = true;
        } else if (option == "--height") {
            // Told as the palette tells a height field that holds no number.
            StderrSink messages;
            const std::optional<double> height = ReadNumberField("高さ", value, messages);
            if (!height) return std::nullopt;
            options.Rewrite.Inputs.Height = *height;
        } else if (option == "--base") {
            const std::size_t comma = value.find(',');
            const std::optional<double> x =
                comma == std::string::npos ? std::nullopt : TryStrToFloat(value.substr(0, comma));
            const std::optional<double> y =
                comma == std::string::npos ? std::nullopt : TryStrToFloat(value.substr(comma + 1));
            if (!x || !y) return fail("the base point '" + value + "' is not X,Y");
            options.Rewrite.BaseX = *x;
            options.Rewrite.BaseY = *y;
        } else if (option == "--kind") {
            const std::optional<std::string> kind = KindText(value);
            if (!kind) return fail("unknown kind '" + value + "'");
            options.Rewrite.Inputs.FigureKind = *kind;
        } else if (option == "--selection") {
            options.Selection = args[i + 1];
        } else if (option == "--full") {
            options.Full = args[i + 1];
        } else if (option == "--invert-sign") {
            options.Rewrite.Inputs.HeightSign = -1;
        } else if (option == "--no-height-lines") {
            options.Rewrite.Inputs.HeightLines = false;
        } else if (option == "--circle-height-lines") {
            options.Rewrite.Inputs.CircleHeightLines = true;
        } else if (option == "--project-all") {
            options.Rewrite.ProjectAll = true;
        } else if (option.rfind("--", 0) == 0) {
            return fail("unknown option " + option);
        } else {
            files.push_back(args[i]);
        }
        if (takesValue) ++i;
    }
    if (!faceGiven) return fail("--face is needed");
    if (files.size() != 2) return fail("a work file and a figure file are needed");
    options.WorkFile = files[0];
    options.FigureFile = files[1];
    return options;
}

int Run(const std::vector<std::filesystem::path>& args) {
    const std::optional<Options> options = ParseOptions(args);
    if (!options) return 2;
    StderrSink messages;
    std::error_code error;
    if (!std::filesystem::exists(options->WorkFile, error)) {
        std::fprintf(stderr, "tessavue-rewrite: no work file %s\n", AsciiText(options->WorkFile).c_str());
        return 1;
    }
    // Without a selection of its own, a turned export has no plan to stand the
    // height lines on: AutoCAD's turn is already in its coordinates.
    std::filesystem::path selection =
        options->Selection ? *options->Selection
                           : (options->Rewrite.ProjectAll ? std::filesystem::path() : options->WorkFile);
    static EntityTableRows table;  // 500 rows with their layer texts: not on the stack
    if (!FillEntityTableFromSelection(selection, options->Full, options->Rewrite.BaseX, options->Rewrite.BaseY,
                                      messages, table))
        return 1;
    if (!WriteFigureFile(options->WorkFile, options->FigureFile, options->Rewrite, table, messages)) return 1;
    return 0;
}

}  // namespace
}  // namespace tessavue

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    std::vector<std::filesystem::path> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return tessavue::Run(args);
}
#else
int main(int argc, char** argv) {
    std::vector<std::filesystem::path> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return tessavue::Run(args);
}
#endif
