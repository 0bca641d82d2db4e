// The manual's sources, read without a browser: every link leads to a page
// (and an anchor) of the help file, every picture is there, every page has
// its title, heading and style sheet, the texts it shows as the program's are
// the program's, the first values it gives are the program's defaults, and
// the page each window's help opens names that window's controls.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include "docs.h"
#include "engine/tray_menus.h"
#include "navigation/lost.h"
#include "navigation/send_current.h"
#include "navigation/vd_info.h"
#include "settings/dialog_items.h"
#include "settings/start_wiz.h"
#include "settings/store_values.h"
#include "settings/tables.h"
#include "settings/vd_config.h"
#include "shell/help.h"

namespace {

std::string HelpFile(std::string_view name) { return docs::SourceFile("resources/help/" + std::string(name)); }

// The pages of the sources' folder.
std::vector<std::string> Pages() {
    std::vector<std::string> pages;
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA(HelpFile("*.htm").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return pages;
    do pages.emplace_back(fd.cFileName);
    while (::FindNextFileA(h, &fd));
    ::FindClose(h);
    std::sort(pages.begin(), pages.end());
    return pages;
}

// The [FILES] section of the help project: what goes into the help file.
std::set<std::string> ProjectFiles() {
    std::set<std::string> files;
    const std::string project = docs::ReadFile(HelpFile("tessarel.hhp"));
    bool inFiles = false;
    size_t from = 0;
    for (size_t nl; from < project.size(); from = nl + 1) {
        nl = project.find('\n', from);
        if (nl == std::string::npos) nl = project.size();
        const std::string line = docs::Squeeze(project.substr(from, nl - from));
        if (line.empty()) continue;
        if (line.front() == '[') inFiles = line == "[FILES]";
        else if (inFiles) files.insert(line);
    }
    return files;
}

const std::string& Source(const std::string& page) {
    static std::map<std::string, std::string> cache;
    auto it = cache.find(page);
    if (it == cache.end()) it = cache.emplace(page, docs::ReadFile(HelpFile(page))).first;
    return it->second;
}

// The attribute values of a kind ("href", "src", "id"), in order.
std::vector<std::string> Attributes(const std::string& html, const std::string& attribute) {
    std::vector<std::string> values;
    const std::regex re("\\b" + attribute + "\\s*=\\s*\"([^\"]*)\"", std::regex::icase);
    for (auto it = std::sregex_iterator(html.begin(), html.end(), re); it != std::sregex_iterator(); ++it)
        values.push_back((*it)[1].str());
    return values;
}

// Entities as the pages use them; a symbol that is no letter becomes "\x01".
// Answers false for an entity the check does not know.
bool Decode(std::string& text) {
    static const std::map<std::string, std::string> named{{"amp", "&"},      {"lt", "<"},       {"gt", ">"},
                                                          {"quot", "\""},    {"nbsp", " "},     {"times", "\x01"},
                                                          {"middot", "\x01"}, {"copy", "\x01"}};
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
            continue;
        }
        const size_t semi = text.find(';', i);
        if (semi == std::string::npos) return false;
        const std::string name = text.substr(i + 1, semi - i - 1);
        if (auto it = named.find(name); it != named.end()) out += it->second;
        else if (name.size() > 1 && name[0] == '#') out += static_cast<char>(std::stoi(name.substr(1)) < 128 ? std::stoi(name.substr(1)) : 1);
        else return false;
        i = semi;
    }
    text = out;
    return true;
}

std::string TextOf(const std::string& html) {
    std::string text = std::regex_replace(html, std::regex("<[^>]*>"), " ");
    Decode(text);
    return docs::Squeeze(text);
}

// The text of every element whose class list holds the class, with the list.
struct Marked {
    std::string classes;
    std::string text;
};
std::vector<Marked> ElementsOfClass(const std::string& html, const std::string& cls) {
    std::vector<Marked> out;
    static const std::regex element("<(\\w+)\\s+class=\"([^\"]*)\"[^>]*>([\\s\\S]*?)</\\1>");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), element); it != std::sregex_iterator(); ++it) {
        const std::string classes = " " + (*it)[2].str() + " ";
        if (classes.find(" " + cls + " ") != std::string::npos) out.push_back({(*it)[2].str(), TextOf((*it)[3].str())});
    }
    return out;
}

bool HasLetter(std::string_view s) {
    return std::any_of(s.begin(), s.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; });
}

std::string WithoutTrailing(std::string_view s, char c) {
    std::string out(s);
    while (!out.empty() && out.back() == c) out.pop_back();
    return out;
}

}  // namespace

TEST(HelpPages, TheProjectHoldsEveryPageAndEveryFileItNamesExists) {
    const auto pages = Pages();
    ASSERT_GE(pages.size(), std::size(shell::kProgramTopics)) << HelpFile("");
    const auto files = ProjectFiles();
    for (const std::string& page : pages) EXPECT_TRUE(files.contains(page)) << page << " is not in tessarel.hhp";
    for (const std::string& file : files)
        EXPECT_NE(::GetFileAttributesA(HelpFile(file).c_str()), INVALID_FILE_ATTRIBUTES) << file;
    for (std::string_view topic : shell::kProgramTopics) EXPECT_TRUE(files.contains(std::string(topic))) << topic;
}

TEST(HelpPages, LinksLeadToPagesAndAnchorsOfTheHelpFile) {
    const auto files = ProjectFiles();
    std::vector<std::pair<std::string, std::string>> links;   // page, link
    for (const std::string& page : Pages())
        for (const std::string& href : Attributes(Source(page), "href")) links.emplace_back(page, href);
    // The contents and the index name their pages as "Local" parameters.
    for (const char* list : {"toc.hhc", "index.hhk"}) {
        const std::string html = docs::ReadFile(HelpFile(list));
        ASSERT_FALSE(html.empty()) << list;
        static const std::regex local("name=\"Local\"\\s+value=\"([^\"]*)\"", std::regex::icase);
        for (auto it = std::sregex_iterator(html.begin(), html.end(), local); it != std::sregex_iterator(); ++it)
            links.emplace_back(list, (*it)[1].str());
    }
    ASSERT_GT(links.size(), 100u);
    for (const auto& [page, link] : links) {
        // The help file is read offline: no page leads out of it.
        EXPECT_EQ(link.find(':'), std::string::npos) << page << ": " << link;
        const size_t hash = link.find('#');
        const std::string target = hash == 0 ? page : link.substr(0, hash);
        EXPECT_TRUE(files.contains(target)) << page << ": " << link << " leads to no file of the help file";
        if (hash == std::string::npos || !files.contains(target)) continue;
        const std::string anchor = link.substr(hash + 1);
        const auto ids = Attributes(Source(target), "id"), names = Attributes(Source(target), "name");
        EXPECT_TRUE(std::count(ids.begin(), ids.end(), anchor) + std::count(names.begin(), names.end(), anchor) > 0)
            << page << ": " << link << " names no anchor of " << target;
    }
}

TEST(HelpPages, PicturesAreInTheHelpFileAndArePictures) {
    const auto files = ProjectFiles();
    for (const std::string& page : Pages()) {
        for (const std::string& src : Attributes(Source(page), "src")) {
            ASSERT_TRUE(files.contains(src)) << page << ": the picture " << src << " is not in the help file";
            const std::string bytes = docs::ReadFile(HelpFile(src));
            const bool picture = bytes.starts_with("GIF8") || bytes.starts_with("\x89PNG") ||
                                 bytes.starts_with("\xFF\xD8\xFF") || bytes.starts_with("BM");
            EXPECT_TRUE(picture) << page << ": " << src << " is no GIF, PNG, JPEG or BMP picture";
        }
    }
}

TEST(HelpPages, EveryPageHasItsTitleItsHeadingAndTheStyleSheet) {
    for (const std::string& page : Pages()) {
        const std::string& html = Source(page);
        std::smatch title, heading;
        ASSERT_TRUE(std::regex_search(html, title, std::regex("<title>([^<]+)</title>"))) << page;
        ASSERT_TRUE(std::regex_search(html, heading, std::regex("<h1>([\\s\\S]*?)</h1>"))) << page;
        EXPECT_NE(TextOf(heading[1].str()).find(TextOf(title[1].str())), std::string::npos)
            << page << ": the window's title and the page's heading differ";
        EXPECT_NE(html.find("<link rel=\"stylesheet\" type=\"text/css\" href=\"tessarel.css\">"), std::string::npos)
            << page;
        EXPECT_NE(html.find("charset=windows-1252"), std::string::npos) << page;
        // Bytes of another code page would show as other characters.
        EXPECT_TRUE(std::all_of(html.begin(), html.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
            << page << " holds a character beyond ASCII; write it as an entity";
        std::string text = std::regex_replace(html, std::regex("<[^>]*>"), " ");
        EXPECT_TRUE(Decode(text)) << page << " uses an entity the check does not know";
    }
}

TEST(HelpPages, TextsShownAsTheProgramsAreTheProgramsOwn) {
    int checked = 0;
    for (const std::string& page : Pages()) {
        for (const Marked& ui : ElementsOfClass(Source(page), "ui")) {
            if (!HasLetter(ui.text)) continue;   // a button's symbol
            EXPECT_TRUE(docs::IsProgramText(ui.text)) << page << ": \"" << ui.text << "\" is no text of the program";
            ++checked;
        }
    }
    EXPECT_GE(checked, 100);
}

TEST(HelpPages, TheFirstValuesTheyGiveAreThePrograms) {
    int checked = 0;
    for (const std::string& page : Pages()) {
        for (const Marked& m : ElementsOfClass(Source(page), "at-first")) {
            // The settings follow the class "at-first".
            std::istringstream names(m.classes.substr(m.classes.find("at-first")));
            std::string name;
            names >> name;
            while (names >> name) {
                ++checked;
                const std::string where = page + ": " + name + " \"" + m.text + "\"";
                if (settings::IsNumberedName(name, settings::kGestureCodeGroup, settings::kActionCount)) {
                    const int row = std::stoi(name.substr(settings::kGestureCodeGroup.size()));
                    const std::string code(settings::GestureActions[static_cast<size_t>(row - 1)].DefaultCode);
                    EXPECT_EQ(m.text, code.empty() ? "none" : code) << where;
                    continue;
                }
                const settings::ValueSpec* spec = settings::FindValue(name);
                ASSERT_NE(spec, nullptr) << where << ": no such setting";
                const auto items = settings::DialogListItems(spec->control);
                if (!items.empty()) {
                    // An item may be named by its first words ("Medium").
                    EXPECT_TRUE(!m.text.empty() && items.at(static_cast<size_t>(spec->def)).starts_with(m.text))
                        << where << ": the program starts with \"" << items.at(static_cast<size_t>(spec->def)) << "\"";
                } else if (spec->type == settings::ValueType::Boolean) {
                    EXPECT_EQ(m.text, spec->def ? "on" : "off") << where;
                } else {
                    EXPECT_EQ(WithoutTrailing(m.text, '%'), std::to_string(spec->def)) << where;
                }
            }
        }
    }
    EXPECT_GE(checked, 40);
}

// Each settings page's help names every control of that page by its
// caption: the help button of the page answers for all of them.
TEST(HelpPages, TheSettingsPagesTopicsNameEveryControlOfTheirPage) {
    const auto layout = settings::DialogLayout();
    std::map<std::string, std::string> parent;
    for (const auto& c : layout) parent[c.name] = c.parent ? c.parent : "";
    auto isUnder = [&](std::string name, const std::string& panel) {
        for (name = parent[name]; !name.empty(); name = parent[name])
            if (name == panel) return true;
        return false;
    };
    auto exists = [&](const std::string& name) { return parent.contains(name); };
    // The pages are the dialog's panels whose tag is their number; the
    // first page's two tabs have a topic each.
    std::vector<std::pair<std::string, std::string_view>> scopes;   // panel or tab, topic
    for (const auto& c : layout) {
        if (c.kind != framework::Kind::Panel || c.parent || c.tag < 1) continue;
        if (std::string_view(c.name) == "pnGeneral") {
            scopes.emplace_back("tsCore", *settings::PageHelpTopic(c.tag, true));
            scopes.emplace_back("tsVisual", *settings::PageHelpTopic(c.tag, false));
        } else {
            scopes.emplace_back(c.name, *settings::PageHelpTopic(c.tag, true));
        }
    }
    ASSERT_EQ(scopes.size(), 13u);
    int checked = 0;
    for (const auto& [scope, topic] : scopes) {
        const std::string text = TextOf(Source(std::string(topic)));
        for (const auto& c : layout) {
            const std::string name = c.name;
            if (!isUnder(name, scope) || c.kind == framework::Kind::Panel) continue;
            std::string caption = docs::Squeeze(c.caption ? c.caption : "");
            // Notes and explanations read as the page's own sentences.
            if (caption.empty() || caption.size() > 60 || caption[0] == '*' || caption[0] == '(') continue;
            // A numbered row (Desktop 2 to 9) is named with its first.
            if (std::isdigit(static_cast<unsigned char>(name.back())) && name.back() != '1' &&
                exists(name.substr(0, name.size() - 1) + "1"))
                continue;
            if (const size_t colon = caption.find(':'); colon != std::string::npos) caption = caption.substr(0, colon);
            EXPECT_NE(text.find(caption), std::string::npos) << topic << " does not name \"" << caption << "\" (" << name << ")";
            ++checked;
        }
    }
    EXPECT_GE(checked, 60);
}

// The other windows with a help button, and the menus the preview's and the
// tray's help pages describe.
TEST(HelpPages, TheWindowsTopicsNameTheirWindowsTexts) {
    using namespace shell::help_texts;
    namespace t = engine::texts;
    const std::map<std::string_view, std::vector<std::string_view>> named{
        {kTopicLostWindows, {navigation::lost_texts::kCaption, navigation::lost_texts::kRecover,
                             navigation::lost_texts::kClose, navigation::lost_texts::kHelp, t::kLostWindows}},
        {kTopicSendAppTo, {navigation::send_current_texts::kCaption, navigation::send_current_texts::kSticky,
                           navigation::send_current_texts::kCancel, navigation::send_current_texts::kHelp}},
        {kTopicWindowInfo, {navigation::info_texts::kCaption, navigation::info_texts::kClassNotSticky,
                            navigation::info_texts::kClassSticky, navigation::info_texts::kAppNotSticky,
                            navigation::info_texts::kAppSticky, navigation::info_texts::kClose,
                            navigation::info_texts::kHelp}},
        {kTopicPreview, {t::kSendApplicationTo, t::kMoveSingleWindowTo, t::kSendAppToCurrent, t::kSendWindowToCurrent,
                         t::kUnifyHere, t::kHelp, t::kFreeOnlineSupport, t::kConfigure, t::kExit, t::kNoWindowSelected,
                         t::kClickForStickyInfo}},
        {kTopicGettingHelp, {t::kApplicationWindows, t::kConfigure, t::kLostWindows, t::kEventLog, t::kHelp,
                             t::kFreeOnlineSupport, t::kAbout, t::kExit, settings::wizard_texts::kKeep}},
    };
    for (const auto& [topic, texts] : named) {
        const std::string text = TextOf(Source(std::string(topic)));
        for (std::string_view s : texts) {
            const std::string wanted = docs::Squeeze(s);
            EXPECT_NE(text.find(wanted), std::string::npos) << topic << " does not name \"" << wanted << "\"";
        }
    }
}
