// Keeps the folders' layers honest: a folder includes only from the layers below it that
// the table allows, links every layer it includes from, and the plain C++ layers stay
// free of Qt.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// Folder -> the layers its files may include from (besides its own). Lowest layer first.
const std::map<std::string, std::set<std::string>> kAllowed = {
    {"core", {}},
    {"format", {}},
    {"canvas", {"core"}},
    {"gauges", {"core", "format", "canvas"}},
    {"levelbar", {"core", "canvas"}},
    {"chart", {"core", "format", "canvas"}},
    {"serial", {"core"}},
    {"meter", {"core", "format", "serial"}},
    {"sim", {"core", "serial", "meter"}},
    {"record", {"core"}},
    {"session", {"core", "serial", "meter"}},
    {"publish", {"core", "record"}},
    {"watch", {"core", "format", "record"}},
    {"channel", {"core", "format", "serial", "meter", "record", "session", "publish", "watch"}},
    {"web", {"core", "format", "record", "publish", "watch", "channel"}},
    {"app",
     {"core", "format", "canvas", "gauges", "levelbar", "chart", "serial", "meter", "sim", "record",
      "session", "publish", "watch", "channel", "web"}},
    {"tools",
     {"core", "format", "canvas", "gauges", "levelbar", "chart", "serial", "meter", "sim", "record",
      "session", "publish", "watch", "channel", "web", "app"}},
    {"fuzz", {"core", "format", "serial", "meter", "record"}},
    {"bench",
     {"core", "format", "canvas", "gauges", "levelbar", "chart", "serial", "meter", "sim", "record",
      "session", "publish", "watch", "channel", "web", "app"}},
};

// Tests see their layer and what it sees; some also drive the simulated meter.
const std::map<std::string, std::set<std::string>> kTestExtras = {
    {"serial", {"sim"}},
    {"meter", {"sim"}},
    {"session", {"sim"}},
    {"channel", {"sim"}},
};

// Layers whose code is plain C++, usable without Qt.
const std::set<std::string> kPlain = {"core", "format", "sim", "record"};

// Layers that use Qt Core alone, so that they run in a program without a display.
const std::set<std::string> kCoreOnly = {"publish", "watch", "channel", "web"};

fs::path root() {
    return fs::path(KV_SOURCE_DIR);
}

bool isSource(const fs::path& p) {
    const std::string ext = p.extension().string();
    return ext == ".h" || ext == ".cpp";
}

std::string readAll(const fs::path& p) {
    std::ifstream in(p);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Include {
    fs::path file;
    int line;
    std::string text; // what stands between the quotes or angle brackets
};

// Every #include of every source file below `dir`.
std::vector<Include> includesBelow(const fs::path& dir) {
    static const std::regex directive(R"(^\s*#\s*include\s*["<]([^">]+)[">])");
    std::vector<Include> out;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (!entry.is_regular_file() || !isSource(entry.path()))
            continue;
        std::istringstream lines(readAll(entry.path()));
        std::string line;
        std::smatch m;
        for (int n = 1; std::getline(lines, line); ++n)
            if (std::regex_search(line, m, directive))
                out.push_back({entry.path(), n, m[1].str()});
    }
    return out;
}

// The layer a project include names ("gauges" for "gauges/bevel.h"); empty for others.
std::string layerOf(const std::string& include) {
    const std::size_t slash = include.find('/');
    if (slash == std::string::npos)
        return {};
    const std::string first = include.substr(0, slash);
    return kAllowed.count(first) ? first : std::string();
}

std::string where(const Include& inc) {
    return fs::relative(inc.file, root()).string() + ":" + std::to_string(inc.line) +
           " includes \"" + inc.text + "\"";
}

// The kv_ libraries a folder's CMakeLists.txt names, as layer names ("kv_chart" -> "chart").
std::set<std::string> linkedLayers(const fs::path& dir) {
    static const std::regex library(R"(\bkv_([a-z]+)\b)");
    std::set<std::string> out;
    const std::string text = readAll(dir / "CMakeLists.txt");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), library);
         it != std::sregex_iterator(); ++it)
        if (kAllowed.count((*it)[1].str()))
            out.insert((*it)[1].str());
    return out;
}

TEST(Layers, EachFolderIncludesOnlyFromTheLayersItMayUse) {
    for (const auto& [layer, allowed] : kAllowed) {
        ASSERT_TRUE(fs::is_directory(root() / layer)) << layer;
        for (const Include& inc : includesBelow(root() / layer)) {
            const std::string used = layerOf(inc.text);
            if (!used.empty() && used != layer) {
                EXPECT_TRUE(allowed.count(used)) << where(inc);
            }
        }
    }
}

TEST(Layers, TestsIncludeOnlyWhatTheirLayerMayUse) {
    for (const auto& entry : fs::directory_iterator(root() / "tests")) {
        const std::string folder = entry.path().filename().string();
        if (!entry.is_directory() || !kAllowed.count(folder))
            continue;
        std::set<std::string> allowed = kAllowed.at(folder);
        allowed.insert(folder);
        if (kTestExtras.count(folder))
            allowed.insert(kTestExtras.at(folder).begin(), kTestExtras.at(folder).end());
        for (const Include& inc : includesBelow(entry.path())) {
            const std::string used = layerOf(inc.text);
            if (!used.empty()) {
                EXPECT_TRUE(allowed.count(used)) << where(inc);
            }
        }
    }
}

TEST(Layers, AFolderLinksEveryLayerItIncludesFromAndNoOther) {
    for (const auto& [layer, allowed] : kAllowed) {
        if (layer == "tools")
            continue; // each tool links on its own, below
        const std::set<std::string> linked = linkedLayers(root() / layer);
        for (const std::string& l : linked)
            if (l != layer) {
                EXPECT_TRUE(allowed.count(l)) << layer << "/CMakeLists.txt links kv_" << l;
            }
        for (const Include& inc : includesBelow(root() / layer)) {
            const std::string used = layerOf(inc.text);
            // Linking the app library brings every layer below it.
            if (!used.empty() && used != layer) {
                EXPECT_TRUE(linked.count(used) || (allowed.count("app") && linked.count("app")))
                    << where(inc) << " but does not link kv_" << used;
            }
        }
    }
}

TEST(Layers, PlainLayersDoNotUseQt) {
    for (const std::string& layer : kPlain)
        for (const Include& inc : includesBelow(root() / layer))
            EXPECT_NE(inc.text.rfind('Q', 0), 0u) << where(inc);
}

TEST(Layers, CoreOnlyLayersLinkNoGuiOrWidgets) {
    static const std::regex gui(R"(Qt6::(Gui|Widgets)\b)");
    for (const std::string& layer : kCoreOnly) {
        EXPECT_FALSE(std::regex_search(readAll(root() / layer / "CMakeLists.txt"), gui)) << layer;
        for (const Include& inc : includesBelow(root() / layer))
            EXPECT_TRUE(inc.text.rfind("QtGui", 0) != 0 && inc.text.rfind("QtWidgets", 0) != 0 &&
                        inc.text.rfind("QWidget", 0) != 0)
                << where(inc);
    }
}

} // namespace
