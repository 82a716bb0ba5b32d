// The figure file byte for byte: the rewrite (through the rewrite tool's flow, as the
// draw command runs it) against outputs frozen from the line-list rewrite it replaced,
// on every real file of tests/data/dxf, every stand-in export and hand-made list of
// the rewrite's seed corpus, a generated export of 30,000 entities, the same export
// with LF, CR and mixed line ends, and hand-made damaged files for every refusal.
//
// The frozen record (tests/data/golden/rewrite/goldens.tsv), one line per case:
// name, exit status, size and SHA-256 of the figure file ("-" when none is left), and
// the messages shown (UTF-8, joined by " | "). Outputs up to kFullLimit bytes are kept
// in full beside it (<name>.dxf) so that a difference shows its first line.
//
// TESSAVUE_WRITE_GOLDENS=1 writes the record instead of checking it. It was written
// once from the line-list rewrite (commit "Goldens of the line-list figure rewrite");
// writing it again is for a deliberate change of output only.
//
// Native only: the messages are turned from the program's code page into UTF-8 with
// iconv.
#include <gtest/gtest.h>

#include <iconv.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "../../bench/generated_export.h"
#include "recording_sink.h"
#include "rewrite_flow.h"
#include "sha256.h"
#include "temp_folder.h"

namespace tessavue {
namespace {

const std::filesystem::path kSource = TESSAVUE_SOURCE_DIR;
const std::filesystem::path kGoldens = kSource / "tests/data/golden/rewrite";
constexpr std::size_t kFullLimit = 6 * 1024;

struct GoldenCase {
    std::string Name;
    std::string Work;                // the work file's bytes
    std::vector<std::string> Args;   // before the two file names; "{plan}" is the plan file
    std::string Plan = {};           // the bytes of "{plan}"
    bool WorkIsFolder = false;       // the work file cannot be read
    bool FigureFolderMissing = false;  // the figure file cannot be written
};

std::string ReadBytes(const std::filesystem::path& path) { return testing::ReadFile(path); }

// The option sets every readable input goes through: every face, heights positive,
// negative and none, height lines on and off, the circle height lines, turned
// (既存図形) and moved (全て投影, the generated kinds, text and dimensions).
const std::vector<std::pair<std::string, std::vector<std::string>>>& OptionSets() {
    static const std::vector<std::pair<std::string, std::vector<std::string>>> sets = {
        {"turn0", {"--face", "0", "--height", "10", "--circle-height-lines", "--base", "12.5,7.25"}},
        {"turn1", {"--face", "1", "--height", "-7.5", "--no-height-lines"}},
        {"turn2", {"--face", "2", "--height", "10", "--invert-sign", "--circle-height-lines"}},
        {"turn3", {"--face", "3", "--height", "2.125", "--base", "-3.1,4.7"}},
        {"turn0-flat", {"--face", "0", "--height", "0", "--circle-height-lines"}},
        {"all1", {"--face", "1", "--project-all", "--selection", "{work}", "--height", "10", "--circle-height-lines",
                  "--base", "0.3333333333333333,-1.1"}},
        {"all3", {"--face", "3", "--project-all", "--height", "5", "--invert-sign"}},
        {"circle2", {"--face", "2", "--kind", "circle", "--height", "4"}},
        {"square3", {"--face", "3", "--kind", "square", "--height", "6", "--invert-sign"}},
        {"hexagon0", {"--face", "0", "--kind", "hexagon", "--height", "-3"}},
        {"text1", {"--face", "1", "--kind", "text", "--height", "10", "--base", "100,200"}},
        {"dimension3", {"--face", "3", "--kind", "dimension", "--height", "10"}},
    };
    return sets;
}

std::string Join(const std::vector<std::string>& lines, const char* end) {
    std::string text;
    for (const std::string& line : lines) text += line + end;
    return text;
}

// A small plan written by hand: one LINE on layer 0 and whatever `entities` adds.
std::string Plan(const std::string& header, const std::string& entities, const char* end = "\r\n") {
    return Join({"  0", "SECTION", "  2", "HEADER", "  9", "$ACADVER", "  1", "AC1009"}, end) + header +
                       Join({"  0", "ENDSEC", "  0", "SECTION", "  2", "ENTITIES"}, end) + entities +
                       Join({"  0", "ENDSEC", "  0", "EOF"}, end);
}

std::string Lines(const std::vector<std::string>& lines) { return Join(lines, "\r\n"); }

const std::string kLine = Lines({"  0", "LINE", "  5", "2F", "  8", "WALLS", " 10", "1.5", " 20", "2.25", " 30", "0.0",
                                 " 11", "-3.0000000000000004", " 21", "4.1", " 31", "0.0"});

std::vector<GoldenCase> Cases() {
    std::vector<GoldenCase> cases;
    std::vector<std::pair<std::string, std::string>> inputs;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(kSource / "tests/data/dxf")) {
        const std::string ext = entry.path().extension().string();
        if (ext == ".dxf" || ext == ".DXF") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    for (const auto& file : files) inputs.emplace_back("data-" + file.filename().string(), ReadBytes(file));
    files.clear();
    // The seed corpus: the stand-in's exports of every kind and hand-made lists; its
    // "real-" files are copies of tests/data/dxf.
    for (const auto& entry : std::filesystem::directory_iterator(kSource / "fuzz/corpus/fuzz_rewrite")) {
        if (entry.path().filename().string().rfind("real-", 0) != 0) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    for (const auto& file : files) inputs.emplace_back("seed-" + file.filename().string(), ReadBytes(file));

    // Line ends as other programs write them: the figure file is CR LF throughout.
    const std::string crlf = ReadBytes(kSource / "fuzz/corpus/fuzz_rewrite/existing-figure-r12.dxf");
    std::string lf, cr, mixed;
    int line = 0;
    for (std::size_t i = 0; i < crlf.size(); ++i) {
        if (crlf[i] == '\r' && i + 1 < crlf.size() && crlf[i + 1] == '\n') {
            lf += '\n';
            cr += '\r';
            mixed += (line % 3 == 0) ? "\n" : (line % 3 == 1) ? "\r" : "\r\n";
            ++line;
            ++i;
        } else {
            lf += crlf[i];
            cr += crlf[i];
            mixed += crlf[i];
        }
    }
    inputs.emplace_back("ends-lf", lf);
    inputs.emplace_back("ends-cr", cr);
    inputs.emplace_back("ends-mixed", mixed);
    inputs.emplace_back("ends-none-last", crlf.substr(0, crlf.size() - 2));
    inputs.emplace_back("ends-blank-lines-after", crlf + "\r\n\r\n\n");

    for (const auto& [name, bytes] : inputs) {
        for (const auto& [set, args] : OptionSets()) cases.push_back({name + "." + set, bytes, args});
    }

    // A generated export larger than any kept file, on every face: only its digest is kept.
    {
        const std::filesystem::path file = std::filesystem::temp_directory_path() / "tessavue-golden-generated.dxf";
        WriteGeneratedExport(file, 30000);
        const std::string bytes = ReadBytes(file);
        std::filesystem::remove(file);
        for (const auto& [set, args] : OptionSets()) {
            if (set == "turn0" || set == "turn1" || set == "turn2" || set == "turn3" || set == "all1" ||
                set == "circle2")
                cases.push_back({"generated-30000." + set, bytes, args});
        }
    }

    // Damaged and extreme files: every refusal, and the edges that still pass.
    // Each turned with its own plan read for the height lines (the plan reader may
    // refuse first), turned with a sound plan beside it, and moved without a plan: the
    // last two reach the rewrite whatever the plan reader thinks of the file.
    const std::vector<std::string> turn = {"--face", "0", "--height", "10", "--circle-height-lines"};
    const std::vector<std::string> turnBeside = {"--face", "1", "--height", "10", "--selection", "{plan}"};
    const std::vector<std::string> moved = {"--face", "2", "--project-all", "--height", "10"};
    const auto both = [&](const std::string& name, const std::string& work) {
        cases.push_back({name + ".turn0", work, turn});
        cases.push_back({name + ".turn1-plan", work, turnBeside, Plan("", kLine)});
        cases.push_back({name + ".all2", work, moved});
    };
    both("bad-group-code", Plan(Lines({"abc", "7"}), kLine));
    both("bad-group-code-in-section", Plan("", kLine + Lines({" 6 2", "CONTINUOUS"})));
    both("bad-value-colour", Plan("", kLine + Lines({"  0", "CIRCLE", "  8", "0", " 62", "1e999", " 10", "1", " 20",
                                                     "1", " 40", "2"})));
    both("bad-value-two-signs", Plan(Lines({"  9", "$LTSCALE", " 40", "+-2.5"}), kLine));
    both("bad-coordinate", Plan("", Lines({"  0", "LINE", "  8", "0", " 10", "abc", " 20", "1", " 11", "2", " 21",
                                           "3"})));
    both("no-entities", Join({"  0", "SECTION", "  2", "HEADER", "  0", "ENDSEC", "  0", "EOF"}, "\r\n"));
    both("not-closed", Join({"  0", "SECTION", "  2", "ENTITIES"}, "\r\n") + kLine);
    both("no-entity-start", Plan("", Lines({"  8", "0"}) + kLine));
    both("comment-before-first", Plan("", Lines({"999", "made by hand"}) + kLine));
    both("lone-x", Plan("", kLine + Lines({"  0", "POINT", "  8", "0", " 10", "4", " 30", "0"})));
    both("lone-x-last", Plan("", kLine + Lines({"  0", "POINT", "  8", "0", " 10", "4"})));
    both("lone-y", Plan("", kLine + Lines({"  0", "POINT", "  8", "0", " 20", "4", " 10", "1"})));
    both("x-then-wrong-y", Plan("", kLine + Lines({"  0", "LINE", "  8", "0", " 10", "4", " 21", "1", " 11", "2",
                                                   " 20", "3"})));
    both("near-the-largest", Plan("", Lines({"  0", "LINE", "  8", "0", " 10", "1.7976931348623157E308", " 20",
                                             "1.7E308", " 11", "1", " 21", "1"})));
    both("large-but-turnable", Plan("", Lines({"  0", "LINE", "  8", "0", " 10", "1E200", " 20", "-3.5E199", " 11",
                                               "1E-300", " 21", "4.9E-324"})));
    both("arc-near-the-largest-angle", Plan("", Lines({"  0", "ARC", "  8", "0", " 10", "1", " 20", "1", " 40", "2",
                                                       " 50", "1.7976931348623157E308", " 51", "90"})));
    both("mirrored-with-vertices",
         Plan("", Lines({"  0", "POLYLINE", "  8", "0", " 66", "1", " 10", "0", " 20", "0", " 30", "0", "230", "-1",
                         "  0", "VERTEX", "  8", "0", " 10", "3", " 20", "4", "  0", "VERTEX", "  8", "0", " 10", "-5",
                         " 20", "6.25", "  0", "SEQEND", "  8", "0", "  0", "CIRCLE", "  8", "0", " 10", "2", " 20",
                         "3", " 40", "1", "230", "-1.0", "  0", "ARC", "  8", "0", " 10", "2", " 20", "3", " 40", "1",
                         " 50", "10", " 51", "200", "230", "-1"})));
    both("end-mark-then-more", Plan("", kLine + Lines({"  0", "EOF", " 62", "1e999"})));
    both("empty-section", Plan("", ""));
    // Headers the pairs do not line up with, or that lie past the end mark; codes
    // written with other blanks than AutoCAD's; a layer without a name.
    const std::string afterEnd = Join({"  0", "SECTION", "  2", "HEADER", "  0", "ENDSEC", "  0", "EOF"}, "\r\n");
    both("header-between-pairs", afterEnd + "stray\r\n" + Lines({"  0", "SECTION", "  2", "ENTITIES"}) + kLine +
                                     Lines({"  0", "ENDSEC", "  0", "EOF"}));
    both("header-after-end-mark", afterEnd + Lines({"  0", "SECTION", "  2", "ENTITIES"}) + kLine +
                                      Lines({"  0", "ENDSEC", "  0", "EOF"}));
    both("codes-with-other-blanks",
         Join({"0", "SECTION", "\t2 ", "ENTITIES", "00", "LINE", "5", "A1", "8", "", "10", "1", "20", "2", "11", "3",
               "21", "4", "0", "ENDSEC", "0", "EOF"},
              "\r\n"));
    both("no-end-mark", Join({"  0", "SECTION", "  2", "ENTITIES"}, "\r\n") + kLine + Lines({"  0", "ENDSEC"}));
    both("unnamed-layer", Plan("", Lines({"  0", "LINE", "  8", "", " 10", "1", " 20", "2", " 11", "3", " 21", "4"})));
    both("odd-last-line", Plan("", kLine) + "  0\r\n");
    cases.push_back({"height-beyond.turn0", Plan("", kLine), {"--face", "0", "--height", "1.5E308"}});
    cases.push_back({"height-beyond-flat.text0", Plan("", kLine), {"--face", "0", "--kind", "text", "--height",
                                                                   "1.5E308"}});
    cases.push_back({"height-beyond-empty.turn1", Plan("", ""), {"--face", "1", "--height", "-1.5E308"}});
    // The raised copy of a Y near the largest double leaves the range; so does the
    // height line of a foot point there, read from another plan than the work file.
    const std::string highY = Plan("", Lines({"  0", "LINE", "  8", "0", " 10", "1", " 20", "1.7E308", " 11", "2",
                                              " 21", "3"}));
    for (const char* face : {"0", "1", "2", "3"}) {
        for (const char* height : {"1E308", "-1E308"}) {
            cases.push_back({std::string("raised-beyond.all") + face + (height[0] == '-' ? "-down" : "-up"), highY,
                             {"--face", face, "--project-all", "--height", height}});
        }
    }
    const std::string farPlan = Plan("", Lines({"  0", "LINE", "  8", "0", " 10", "1.7E308", " 20", "1.7E308", " 11",
                                                "2", " 21", "3"}));
    for (const char* face : {"0", "1", "2", "3"})
        cases.push_back({std::string("height-line-beyond.turn") + face, Plan("", kLine),
                         {"--face", face, "--selection", "{plan}"}, farPlan});
    cases.push_back({"height-line-lift-beyond.turn0", Plan("", kLine),
                     {"--face", "0", "--height", "1.2E308", "--selection", "{plan}"},
                     Plan("", Lines({"  0", "LINE", "  8", "0", " 10", "1E308", " 20", "-1E308", " 11", "0", " 21",
                                     "0"}))});
    // A base point far off carries a point beyond the range, moved or turned.
    const std::string farPoint = Plan("", Lines({"  0", "LINE", "  8", "0", " 10", "1.7E308", " 20", "5", " 11", "2",
                                                 " 21", "3"}));
    cases.push_back({"far-base.all0", farPoint, {"--face", "0", "--project-all", "--base", "-1.7E308,0"}});
    cases.push_back({"far-base.turn3", farPoint, {"--face", "3", "--base", "-1.7E308,0", "--selection", "{plan}"},
                     Plan("", kLine)});
    cases.push_back({"unreadable.turn0", "", turn, "", true});
    cases.push_back({"unreadable.all2", "", moved, "", true});
    cases.push_back({"unwritable.turn0", Plan("", kLine), turn, "", false, true});
    return cases;
}

std::string Utf8(const std::string& cp932) {
    iconv_t convert = iconv_open("UTF-8", "CP932");
    if (convert == reinterpret_cast<iconv_t>(-1)) return "(iconv has no CP932)";
    std::string out(cp932.size() * 3 + 4, '\0');
    char* in = const_cast<char*>(cp932.data());
    std::size_t inLeft = cp932.size();
    char* to = out.data();
    std::size_t toLeft = out.size();
    const std::size_t done = iconv(convert, &in, &inLeft, &to, &toLeft);
    iconv_close(convert);
    if (done == static_cast<std::size_t>(-1)) return "(not CP932: " + cp932 + ")";
    out.resize(out.size() - toLeft);
    return out;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); !from.empty() && at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

struct GoldenRun {
    std::string Line;    // the record's line
    std::string Output;  // the figure file's bytes, when written
    bool Written = false;
};

GoldenRun RunCase(const GoldenCase& c, const std::filesystem::path& folder) {
    const std::filesystem::path work = folder / "work.dxf";
    const std::filesystem::path plan = folder / "plan.dxf";
    const std::filesystem::path figure =
        c.FigureFolderMissing ? folder / "missing" / "ip20260101000000.dxf" : folder / "ip20260101000000.dxf";
    std::filesystem::remove_all(work);
    if (c.WorkIsFolder)
        std::filesystem::create_directories(work);
    else
        testing::WriteFile(work, c.Work);
    if (!c.Plan.empty()) testing::WriteFile(plan, c.Plan);
    // An older figure of the same name: a refused rewrite must not leave it.
    if (!c.FigureFolderMissing) testing::WriteFile(figure, "an older figure");
    std::vector<std::filesystem::path> args;
    for (const std::string& arg : c.Args)
        args.emplace_back(arg == "{work}" ? work.string() : arg == "{plan}" ? plan.string() : arg);
    args.push_back(work);
    args.push_back(figure);
    testing::RecordingSink sink;
    std::string complaint;
    const int exit = RunRewriteTool(args, sink, complaint);
    GoldenRun run;
    run.Written = std::filesystem::exists(figure);
    if (run.Written) run.Output = ReadBytes(figure);
    std::string messages;
    for (const std::string& message : sink.All())
        messages += (messages.empty() ? "" : " | ") + Replace(Utf8(message), folder.string(), "{folder}");
    if (!complaint.empty()) messages += " | complaint";
    run.Line = c.Name + "\t" + std::to_string(exit) + "\t" +
               (run.Written ? std::to_string(run.Output.size()) + "\t" + testing::Sha256Hex(run.Output) : "-\t-") +
               "\t" + messages;
    std::filesystem::remove_all(folder / "missing");
    std::filesystem::remove(figure);
    return run;
}

std::map<std::string, std::string> Record() {
    std::map<std::string, std::string> lines;
    std::ifstream in(kGoldens / "goldens.tsv", std::ios::binary);
    std::string line;
    while (std::getline(in, line)) lines[line.substr(0, line.find('\t'))] = line;
    return lines;
}

// The digest the large outputs are kept as, on the standard's vectors (the last one
// crosses many blocks and needs the two-block tail).
TEST(Sha256, KnownDigests) {
    const struct {
        const char* name;
        std::string bytes;
        const char* digest;
    } rows[] = {
        {"empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"56 bytes", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"a million a", std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& row : rows) EXPECT_EQ(testing::Sha256Hex(row.bytes), row.digest) << row.name;
}

// The first line where two files part, for the failure message.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
    std::size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
    const std::size_t lineStart = expected.rfind('\n', at == 0 ? 0 : at - 1);
    const std::size_t from = lineStart == std::string::npos ? 0 : lineStart + 1;
    const std::size_t line = static_cast<std::size_t>(std::count(expected.begin(), expected.begin() + from, '\n')) + 1;
    return "first difference at byte " + std::to_string(at) + " (line " + std::to_string(line) + "): expected '" +
           expected.substr(from, 60) + "', written '" + actual.substr(from, 60) + "'";
}

TEST(RewriteGoldens, EveryCaseWritesTheFrozenBytesOrTheFrozenRefusal) {
    testing::TempFolder folder("tessavue-golden");
    const std::vector<GoldenCase> cases = Cases();
    if (const char* write = std::getenv("TESSAVUE_WRITE_GOLDENS"); write && std::string(write) == "1") {
        // The record and the kept outputs go; the folder's README stays.
        std::filesystem::create_directories(kGoldens);
        for (const auto& entry : std::filesystem::directory_iterator(kGoldens)) {
            if (entry.path().extension() == ".dxf" || entry.path().filename() == "goldens.tsv")
                std::filesystem::remove(entry.path());
        }
        std::ofstream record(kGoldens / "goldens.tsv", std::ios::binary);
        std::size_t full = 0;
        for (const GoldenCase& c : cases) {
            const GoldenRun run = RunCase(c, folder.path());
            record << run.Line << '\n';
            if (run.Written && run.Output.size() <= kFullLimit) {
                testing::WriteFile(kGoldens / (c.Name + ".dxf"), run.Output);
                ++full;
            }
        }
        std::cout << "wrote " << cases.size() << " cases, " << full << " outputs in full, to " << kGoldens << '\n';
        return;
    }
    const std::map<std::string, std::string> record = Record();
    ASSERT_FALSE(record.empty()) << kGoldens / "goldens.tsv" << " is missing";
    EXPECT_EQ(record.size(), cases.size()) << "the record and the case table differ in their cases";
    std::size_t compared = 0;
    for (const GoldenCase& c : cases) {
        const GoldenRun run = RunCase(c, folder.path());
        const auto expected = record.find(c.Name);
        if (expected == record.end()) {
            ADD_FAILURE() << c.Name << ": no frozen record";
            continue;
        }
        EXPECT_EQ(run.Line, expected->second) << c.Name;
        const std::filesystem::path kept = kGoldens / (c.Name + ".dxf");
        if (std::filesystem::exists(kept)) {
            const std::string bytes = ReadBytes(kept);
            EXPECT_TRUE(run.Written && run.Output == bytes)
                << c.Name << ": " << (run.Written ? FirstDifference(bytes, run.Output) : "no figure file");
        }
        ++compared;
    }
    EXPECT_EQ(compared, cases.size());
}

}  // namespace
}  // namespace tessavue
