#include "rewrite_flow.h"

#include <system_error>

#include "dxf_data/entity_table.h"
#include "dxf_data/str_to_float.h"

namespace tessavue {

const char* const kRewriteToolUsage =
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

namespace {

// Options and numbers are ASCII; anything else in them is no valid option anyway.
std::string AsciiText(const std::filesystem::path& argument) {
    std::string text;
    for (auto c : argument.native()) text.push_back(c > 0 && c < 0x7F ? static_cast<char>(c) : '?');
    return text;
}

std::optional<std::string> KindText(const std::string& name) {
    if (name == "existing") return std::string(kExistingFigureKind);
    if (name == "circle") return std::string("円");
    if (name == "square") return std::string("四角");
    if (name == "hexagon") return std::string("六角");
    if (name == "text") return std::string("文字");
    if (name == "dimension") return std::string("寸法");
    return std::nullopt;
}

}  // namespace

std::optional<RewriteToolOptions> ParseRewriteToolOptions(const std::vector<std::filesystem::path>& args,
                                                          MessageSink& messages, std::string& complaint) {
    RewriteToolOptions options;
    options.Rewrite.Inputs.Height = 10;
    options.Rewrite.Inputs.FigureKind = kExistingFigureKind;
    options.Rewrite.Inputs.CircleHeightLines = false;
    bool faceGiven = false;
    std::vector<std::filesystem::path> files;
    const auto fail = [&complaint](const std::string& why) {
        complaint = "tessavue-rewrite: " + why + "\n" + kRewriteToolUsage;
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

int RunRewriteTool(const std::vector<std::filesystem::path>& args, MessageSink& messages, std::string& complaint) {
    const std::optional<RewriteToolOptions> options = ParseRewriteToolOptions(args, messages, complaint);
    if (!options) return 2;
    // From here on every refusal leaves no figure file, also one an earlier run left
    // under the same name: a caller that inserts whatever file it finds must not get
    // an old figure for a refused one.
    const auto refuse = [&options] {
        std::error_code ignored;
        std::filesystem::remove(options->FigureFile, ignored);
        return 1;
    };
    std::error_code error;
    if (!std::filesystem::exists(options->WorkFile, error)) {
        complaint = "tessavue-rewrite: no work file " + AsciiText(options->WorkFile) + "\n";
        return refuse();
    }
    // Without a selection of its own, a turned export has no plan to stand the
    // height lines on: AutoCAD's turn is already in its coordinates.
    std::filesystem::path selection =
        options->Selection ? *options->Selection
                           : (options->Rewrite.ProjectAll ? std::filesystem::path() : options->WorkFile);
    static EntityTableRows table;  // 500 rows with their layer texts: not on the stack
    if (!FillEntityTableFromSelection(selection, options->Full, options->Rewrite.BaseX, options->Rewrite.BaseY,
                                      messages, table))
        return refuse();
    if (!WriteFigureFile(options->WorkFile, options->FigureFile, options->Rewrite, table, messages)) return refuse();
    return 0;
}

}  // namespace tessavue
