#include "draw/figure_rewrite.h"

#include <cstdint>
#include <fstream>
#include <string_view>
#include <system_error>

#include "dxf_data/str_to_float.h"
#include "import/dxf_reader.h"
#include "import/plan_reader.h"
#include "iso/faces.h"

namespace tessavue {

bool TurnsPlan(const FigureRewrite& rewrite) {
    return rewrite.Inputs.FigureKind == kExistingFigureKind && !rewrite.ProjectAll;
}

std::string NothingSelectedMessage() { return "オブジェクトが選択されていません。"; }

std::optional<double> ReadNumberField(const std::string& fieldName, const std::string& text,
                                      MessageSink& messages) {
    std::optional<double> value = TryStrToFloat(text);
    if (!value) messages.ShowConfirmation(fieldName + "の値 '" + text + "' は数値ではありません。作図しません。");
    return value;
}

std::filesystem::path ExistingFigureWorkFile(const ProgramFiles& files, std::int32_t faceCode, bool projectAll) {
    const FaceParameters* face = FaceRow(faceCode);
    if (!face) return {};
    if (!projectAll) return files.selection;
    // The face table names the turned plan; it lies in the program's folder. The name
    // is plain ASCII, so the narrow conversion is safe.
    return files.directory / face->TurnedPlanFile;
}

bool PrepareExistingFigure(const ProgramFiles& files, const FigureRewrite& rewrite, MessageSink& messages,
                           EntityTableRows& table) {
    const std::filesystem::path workFile =
        ExistingFigureWorkFile(files, rewrite.Inputs.FaceCode, rewrite.ProjectAll);
    std::error_code error;
    if (workFile.empty() || !std::filesystem::exists(workFile, error)) {
        messages.ShowConfirmation(NothingSelectedMessage());
        return false;
    }
    // The height lines stand on the plan as the user drew it, so the table is read
    // from the unturned selection (or its full export) even when the figure comes
    // from a turned export.
    return FillEntityTableFromSelection(files.selection, files.exploded, rewrite.BaseX, rewrite.BaseY, messages,
                                        table);
}

bool FillEntityTableFromSelection(const std::filesystem::path& selection, const std::filesystem::path& full,
                                  double baseX, double baseY, MessageSink& messages, EntityTableRows& table) {
    ClearEntityTable(table);
    std::error_code error;
    try {
        // The full export holds the whole selection, blocks and all: read alone, or
        // its rows would come twice.
        if (!full.empty() && std::filesystem::exists(full, error)) {
            ReadPlanEntities(full, baseX, baseY, messages, table);
        } else if (std::filesystem::exists(selection, error)) {
            ReadPlanEntities(selection, baseX, baseY, messages, table);
        }
    } catch (const std::runtime_error& failure) {  // DxfReadError, ConvertError
        messages.ShowConfirmation(failure.what());
        return false;
    }
    return true;
}

namespace {

// The work file's bytes in one string, read in one piece where the size is known.
std::optional<std::string> ReadWorkFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text;
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (!error && size > 0) {
        text.resize(static_cast<std::size_t>(size));
        in.read(text.data(), static_cast<std::streamsize>(size));
        text.resize(static_cast<std::size_t>(in.gcount()));
        if (in.bad()) return std::nullopt;
        if (!in) return text;  // the end came with the size or before it
    }
    // What the size did not tell (a file still growing, or no size known), in pieces.
    char chunk[1 << 16];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) text.append(chunk, static_cast<std::size_t>(in.gcount()));
    if (in.bad()) return std::nullopt;
    return text;
}

// The figure file under a temporary name beside it, opened at the first write (a
// refused rewrite writes nothing), put in its place by Commit.
class FigureFileOutput : public FigureOutput {
public:
    explicit FigureFileOutput(const std::filesystem::path& path) : path_(path), temp_(path) { temp_ += ".tmp"; }
    ~FigureFileOutput() override {
        if (out_.is_open()) {
            out_.close();
            std::error_code ignored;
            std::filesystem::remove(temp_, ignored);
        }
    }
    bool Write(std::string_view bytes) override {
        if (!out_.is_open()) out_.open(temp_, std::ios::binary | std::ios::trunc);
        out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return static_cast<bool>(out_);
    }
    // False, the temporary file gone, when it could not be completed or renamed.
    bool Commit() {
        if (!out_.is_open()) Write({});
        out_.flush();
        const bool written = static_cast<bool>(out_);
        out_.close();
        std::error_code error;
        // The old figure goes first (a failed rewrite removes it anyway): a rename over an
        // existing file makes ext4 write the new file's blocks to disk before it returns,
        // 20 ms on a 9 MB figure, for a file AutoCAD reads at once from the cache.
        if (written) {
            std::error_code ignored;
            std::filesystem::remove(path_, ignored);
            std::filesystem::rename(temp_, path_, error);
        }
        if (!written || error) {
            std::error_code ignored;
            std::filesystem::remove(temp_, ignored);
            return false;
        }
        return true;
    }

private:
    std::filesystem::path path_;
    std::filesystem::path temp_;
    std::ofstream out_;
};

}  // namespace

FigureSteps StepsOf(const FigureRewrite& rewrite) {
    return {TurnsPlan(rewrite), rewrite.BaseX, rewrite.BaseY, rewrite.Inputs};
}

bool WriteFigureFile(const std::filesystem::path& workFile, const std::filesystem::path& figureFile,
                     const FigureRewrite& rewrite, const EntityTableRows& table, MessageSink& messages) {
    SectionResult result;
    {
        // The input goes before the output is completed: the two are never held at once
        // beyond the section's text.
        std::optional<std::string> input = ReadWorkFile(workFile);
        if (!input) {
            result.Fault = SectionFault::Unreadable;
        } else {
            FigureFileOutput output(figureFile);
            result = RewriteFigure(*input, StepsOf(rewrite), table, output);
            if (result && !output.Commit()) result.Fault = SectionFault::Unwritable;
        }
    }
    if (result) return true;
    // A figure file of the same name (a command in the same second) would otherwise
    // be inserted in place of this one.
    std::error_code ignored;
    std::filesystem::remove(figureFile, ignored);
    messages.ShowConfirmation(SectionFaultMessage(result));
    return false;
}

}  // namespace tessavue
