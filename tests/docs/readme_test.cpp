// The README's part for users names the program's defaults, texts, files
// and commands; each is read here from the program's own tables, so the
// README cannot drift from the program.
//
// A default is written as its value followed by the setting's registry name
// in code font and brackets: a list's item in quotes ("3 x 3" (`layoutid`)),
// on or off for a check box, optionally after its caption in quotes ("Use
// mouse gestures" on (`usegestures`)), a number for a number (25
// (`transparency`)). In a table, a row whose last cell is the registry name
// has the value in the cell before it.
#include <gtest/gtest.h>
#include <cctype>
#include <optional>
#include <regex>
#include <set>
#include "docs.h"
#include "engine/gtools.h"
#include "engine/startup.h"
#include "program_version.h"
#include "settings/dialog_items.h"
#include "settings/store_values.h"
#include "settings/tables.h"
#include "support/e2e.h"
#include "support/program_files.h"

namespace {

constexpr std::string_view kDevelopersHeading = "\n## For developers";

const std::string& Readme() {
    static const std::string text = docs::ReadFile(docs::SourceFile("README.md"));
    return text;
}

std::string UserPart() {
    const size_t end = Readme().find(kDevelopersHeading);
    return Readme().substr(0, end);
}

// What a setting holds at first, as the README writes it.
struct Default {
    enum class Kind { Item, Flag, Number, GestureCode } kind;
    std::string value;     // the item's text, "on"/"off", the number, the code
    std::string caption;   // a check box's caption, a gesture row's action
};

std::optional<Default> DefaultOf(std::string_view name) {
    using K = Default::Kind;
    if (name.starts_with(settings::kGestureCodeGroup) &&
        settings::IsNumberedName(name, settings::kGestureCodeGroup, settings::kActionCount)) {
        const int row = std::stoi(std::string(name.substr(settings::kGestureCodeGroup.size())));
        const auto& action = settings::GestureActions[static_cast<size_t>(row - 1)];
        return Default{K::GestureCode, std::string(action.DefaultCode), std::string(action.Name)};
    }
    const settings::ValueSpec* spec = settings::FindValue(name);
    if (!spec) return std::nullopt;
    const auto items = settings::DialogListItems(spec->control);
    if (!items.empty()) return Default{K::Item, items.at(static_cast<size_t>(spec->def)), {}};
    if (spec->type == settings::ValueType::Boolean)
        return Default{K::Flag, spec->def ? "on" : "off", std::string(settings::DialogCaption(spec->control))};
    return Default{K::Number, std::to_string(spec->def), {}};
}

std::string Unquoted(std::string text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
    return text;
}

// A value as the README gives it in front of a registry name.
struct Written {
    std::string value;
    bool quoted = false;
    std::optional<std::string> caption;   // a quoted text just before an unquoted value
};

Written WrittenBefore(const std::string& before) {
    Written w;
    if (!before.empty() && before.back() == '"') {
        const size_t open = before.find_last_of('"', before.size() - 2);
        if (open != std::string::npos) w.value = before.substr(open + 1, before.size() - open - 2);
        w.quoted = true;
        return w;
    }
    const size_t cut = before.find_last_of(" (");
    w.value = before.substr(cut == std::string::npos ? 0 : cut + 1);
    const std::string rest = before.substr(0, cut == std::string::npos ? 0 : cut + 1);
    if (rest.size() >= 3 && rest.ends_with("\" ")) {
        const size_t open = rest.find_last_of('"', rest.size() - 3);
        if (open != std::string::npos) w.caption = rest.substr(open + 1, rest.size() - open - 3);
    }
    return w;
}

// An empty answer when the README's value is the program's default.
std::string Mismatch(std::string_view name, const Written& w, bool inTable) {
    const auto def = DefaultOf(name);
    if (!def) return "no such setting";
    using K = Default::Kind;
    const bool wantQuoted = def->kind == K::Item && !inTable;
    if (wantQuoted && !w.quoted) return "a list's item is written in quotes";
    if ((def->kind == K::Flag || def->kind == K::Number) && w.quoted) return "on, off or a number is written bare";
    if (w.value != def->value) return "written \"" + w.value + "\", the program has \"" + def->value + "\"";
    if (def->kind == K::Flag && w.caption && *w.caption != def->caption)
        return "the caption \"" + *w.caption + "\" is not the check box's \"" + def->caption + "\"";
    return {};
}

std::vector<std::string> TableCells(std::string line) {
    std::vector<std::string> cells;
    line = docs::Squeeze(line);
    if (line.size() < 2 || line.front() != '|' || line.back() != '|') return cells;
    size_t from = 1;
    for (size_t bar; (bar = line.find('|', from)) != std::string::npos; from = bar + 1)
        cells.push_back(docs::Squeeze(line.substr(from, bar - from)));
    return cells;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t from = 0;
    for (size_t nl; (nl = text.find('\n', from)) != std::string::npos; from = nl + 1)
        lines.push_back(text.substr(from, nl - from));
    lines.push_back(text.substr(from));
    return lines;
}

std::vector<std::string> Paragraphs(const std::string& text) {
    std::vector<std::string> out{""};
    for (const std::string& line : Lines(text)) {
        if (docs::Squeeze(line).empty()) {
            if (!out.back().empty()) out.emplace_back();
        } else {
            out.back() += line + "\n";
        }
    }
    return out;
}

// The contents of every code span.
std::vector<std::string> CodeSpans(const std::string& text) {
    std::vector<std::string> spans;
    static const std::regex code("`([^`\n]+)`");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), code); it != std::sregex_iterator(); ++it)
        spans.push_back((*it)[1].str());
    return spans;
}

bool HasCodeSpan(const std::string& text, std::string_view span) {
    for (const std::string& s : CodeSpans(text))
        if (s == span) return true;
    return false;
}

std::string WithoutTrailingBackslash(std::string_view s) {
    std::string out(s);
    if (!out.empty() && out.back() == '\\') out.pop_back();
    return out;
}

}  // namespace

TEST(Readme, EveryDefaultItNamesIsTheProgramsDefault) {
    const std::string user = UserPart();
    ASSERT_FALSE(user.empty()) << docs::SourceFile("README.md");
    ASSERT_NE(Readme().find(kDevelopersHeading), std::string::npos) << "the developers' part has its own heading";
    std::set<std::string> named;

    // In the text: a value, then " (`name`)".
    const std::string prose = docs::Squeeze(user);
    static const std::regex annotation(R"( \(`([a-z][a-z0-9]*)`\))");
    for (auto it = std::sregex_iterator(prose.begin(), prose.end(), annotation); it != std::sregex_iterator(); ++it) {
        const std::string name = (*it)[1].str();
        const std::string before = prose.substr(0, static_cast<size_t>(it->position()));
        const std::string problem = Mismatch(name, WrittenBefore(before), false);
        EXPECT_EQ(problem, "") << "`" << name << "` at: ..." << before.substr(before.size() > 80 ? before.size() - 80 : 0);
        named.insert(name);
    }

    // In the tables: the value in the cell before the name.
    static const std::regex lastCell("^`([a-z][a-z0-9]*)`$");
    for (const std::string& line : Lines(user)) {
        const auto cells = TableCells(line);
        std::smatch m;
        if (cells.size() < 2 || !std::regex_match(cells.back(), m, lastCell)) continue;
        const std::string name = m[1].str();
        Written w{Unquoted(cells[cells.size() - 2]), false, std::nullopt};
        EXPECT_EQ(Mismatch(name, w, true), "") << line;
        if (const auto def = DefaultOf(name); def && def->kind == Default::Kind::GestureCode) {
            EXPECT_EQ(Unquoted(cells.front()), def->caption) << "the gesture row names another action: " << line;
        }
        named.insert(name);
    }

    // The defaults a new user meets first are among them.
    for (const char* name : {"hotkeymode", "layoutid", "prevsize", "deskbar", "edgenav", "usegestures",
                             "holdwhilegesture", "hotkeyapplist", "sysmenui", "gesturecode1"})
        EXPECT_TRUE(named.contains(name)) << "the README no longer names the default of " << name;
}

TEST(Readme, EveryQuotedTextIsOneTheProgramShows) {
    int quoted = 0;
    for (std::string paragraph : Paragraphs(UserPart())) {
        // Code spans hold paths and commands, not the program's texts.
        paragraph = std::regex_replace(paragraph, std::regex("`[^`\n]*`"), "");
        std::vector<size_t> quotes;
        for (size_t i = 0; i < paragraph.size(); ++i)
            if (paragraph[i] == '"') quotes.push_back(i);
        ASSERT_EQ(quotes.size() % 2, 0u) << "an unpaired quote in:\n" << paragraph;
        for (size_t q = 0; q < quotes.size(); q += 2) {
            const std::string text = docs::Squeeze(paragraph.substr(quotes[q] + 1, quotes[q + 1] - quotes[q] - 1));
            EXPECT_TRUE(docs::IsProgramText(text)) << "\"" << text << "\" is no text of the program";
            ++quoted;
        }
    }
    EXPECT_GE(quoted, 40);
}

TEST(Readme, NamesWhereTheProgramKeepsItsSettingsAndFiles) {
    const std::string user = UserPart();
    EXPECT_TRUE(HasCodeSpan(user, "HKEY_CURRENT_USER" + WithoutTrailingBackslash(settings::kSettingsKey)));
    EXPECT_TRUE(HasCodeSpan(user, "HKEY_CURRENT_USER" + WithoutTrailingBackslash(settings::kRunKey)));
    EXPECT_TRUE(HasCodeSpan(user, std::string(settings::kRunValue)));
    EXPECT_TRUE(HasCodeSpan(user, "%APPDATA%\\" + WithoutTrailingBackslash(engine::kDataSubfolder)));

    // The table of the data folder lists exactly what the program keeps there.
    std::set<std::string> listed;
    bool inTable = false;
    for (const std::string& line : Lines(user)) {
        const auto cells = TableCells(line);
        if (cells.empty()) {
            inTable = false;
            continue;
        }
        if (cells.front() == "File") inTable = true;
        if (inTable && cells.front().find('`') != std::string::npos)
            for (const std::string& span : CodeSpans(cells.front())) listed.insert(span);
    }
    EXPECT_EQ(listed, e2e::DataFolderEntries());

    // The files the program needs beside itself, by the names it loads.
    for (const std::string& file : e2e::FilesBesideTheProgram()) {
        const std::string top = file.substr(0, file.find('\\') == std::string::npos ? file.size() : file.find('\\') + 1);
        EXPECT_TRUE(HasCodeSpan(Readme(), top)) << top;
    }
}

TEST(Readme, CommandLinesItGivesAreTheProgramsCommands) {
    const std::string user = docs::Squeeze(UserPart());
    std::set<engine::StartCommand> given;
    static const std::regex command("`Tessareltop\\.exe ([^`]+)`([^.]*)");
    for (auto it = std::sregex_iterator(user.begin(), user.end(), command); it != std::sregex_iterator(); ++it) {
        const std::string arg = (*it)[1].str();
        const engine::StartCommand c = engine::ClassifyArgument(arg);
        EXPECT_NE(c, engine::StartCommand::Run) << arg << " is no command of the program";
        if (c == engine::StartCommand::Switch) {
            const unsigned desktop = engine::SwitchArgumentCode(arg) & 0xF;
            EXPECT_NE((*it)[2].str().find("desktop " + std::to_string(desktop)), std::string::npos)
                << arg << " switches to desktop " << desktop;
        }
        given.insert(c);
    }
    for (auto c : {engine::StartCommand::Kill, engine::StartCommand::Switch, engine::StartCommand::Poll,
                   engine::StartCommand::PostInstall})
        EXPECT_TRUE(given.contains(c)) << static_cast<int>(c);
}

TEST(Readme, NamesThePackageTheBuildMakes) {
    EXPECT_TRUE(HasCodeSpan(UserPart(), "Tessareltop-<version>-win64.zip"));
    const std::string made = e2e::BinDir() + "..\\Tessareltop-" TESSAREL_VERSION "-win64.zip";
    EXPECT_NE(::GetFileAttributesA(made.c_str()), INVALID_FILE_ATTRIBUTES) << made;
    EXPECT_NE(Readme().find("scripts/package"), std::string::npos);
}
