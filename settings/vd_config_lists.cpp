// TfrmVDConfig: the sticky, ignore and watch pages' Add and Remove buttons,
// and the rules for what they append.
#include <algorithm>
#include "framework/dialogs.h"
#include "framework/text.h"
#include "settings/rule_pages.h"
#include "settings/subsystem_links.h"
#include "settings/vd_config.h"

namespace settings {
namespace {

RulePickers& Pickers() {
    static RulePickers pickers;
    return pickers;
}

std::optional<std::string> NonEmpty(std::optional<std::wstring> picked) {
    if (!picked) return std::nullopt;
    std::string name = framework::Trim(AnsiFromWide(*picked));
    if (name.empty()) return std::nullopt;
    return name;
}

// One of the three list pages, whatever control holds its entries.
struct ListPage {
    std::function<std::vector<std::string>()> entries;
    std::function<void(const std::string&)> append;
    std::function<int()> selected;
    std::function<void(int)> remove;
    std::string_view emptyText;
};

ListPage StickyPage(TfrmVDConfig& d) {
    auto& list = d.clbPinned;
    return {[&list] {
                std::vector<std::string> all;
                for (int i = 0; i < list.Count(); ++i) all.push_back(list.Item(i));
                return all;
            },
            // A new sticky entry is active at once.
            [&list](const std::string& name) { list.AddItem(name, true); },
            [&list] { return list.ItemIndex(); }, [&list](int i) { list.DeleteItem(i); }, rule_texts::kStickyEmpty};
}

ListPage ListBoxPage(framework::ListBox& list, std::string_view emptyText) {
    return {[&list] { return list.Items(); }, [&list](const std::string& name) { list.AddItem(name); },
            [&list] { return list.ItemIndex(); }, [&list](int i) { list.DeleteItem(i); }, emptyText};
}

void AddApplication(const ListPage& page) {
    if (auto path = PickApplicationPath()) page.append(framework::UpperCaseAscii(*path));
}

void AddExecutable(const ListPage& page, HWND owner) {
    if (auto file = PickExecutableFile(owner)) page.append(framework::UpperCaseAscii(*file));
}

void AddClass(const ListPage& page) {
    auto picked = PickClassName();
    if (!picked) return;
    const auto entries = page.entries();
    if (auto name = ClassToAppend(entries, *picked)) page.append(*name);
}

void RemoveSelected(const ListPage& page, HWND owner) {
    const int count = static_cast<int>(page.entries().size());
    const int selected = page.selected();
    if (auto warning = RemoveWarning(count, selected, page.emptyText)) {
        framework::MessageBox(*warning, rule_texts::kWarning, MB_OK | MB_ICONWARNING, owner);
        return;
    }
    page.remove(selected);
}

}  // namespace

bool HoldsNameIgnoringCase(std::span<const std::string> entries, std::string_view name) {
    const std::string upper = framework::UpperCaseAscii(name);
    return std::any_of(entries.begin(), entries.end(),
                       [&](const std::string& e) { return framework::UpperCaseAscii(e) == upper; });
}

std::optional<std::string> ClassToAppend(std::span<const std::string> entries, std::string_view picked) {
    if (picked.empty() || HoldsNameIgnoringCase(entries, picked)) return std::nullopt;
    return framework::UpperCaseAscii(picked);
}

std::optional<std::string_view> RemoveWarning(int count, int selected, std::string_view emptyText) {
    if (count <= 0) return emptyText;
    if (selected < 0 || selected >= count) return rule_texts::kNoneSelected;
    return std::nullopt;
}

std::string WrapRuleName(std::string_view name) {
    std::string out;
    out.reserve(name.size() + 8);
    for (char c : name) {
        out += c;
        if (c == '\\') out += ' ';
    }
    return out;
}

std::string AnsiFromWide(std::wstring_view text) {
    if (text.empty()) return {};
    const int wide = static_cast<int>(text.size());
    int n = ::WideCharToMultiByte(CP_ACP, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(n, 0)), '\0');
    if (n > 0) ::WideCharToMultiByte(CP_ACP, 0, text.data(), wide, out.data(), n, nullptr, nullptr);
    return out;
}

void SetRulePickers(RulePickers pickers) { Pickers() = std::move(pickers); }

std::optional<std::string> PickClassName() {
    auto& p = Pickers();
    return NonEmpty(p.pickClass ? p.pickClass() : links::PickWindowClass());
}

std::optional<std::string> PickApplicationPath() {
    auto& p = Pickers();
    return NonEmpty(p.selectApplication ? p.selectApplication() : links::SelectLostApplication());
}

std::optional<std::string> PickExecutableFile(void* owner) {
    using namespace rule_texts;
    return framework::PromptForOpenFile({kOpenTitle, kOpenFilter, kOpenDefaultExt}, static_cast<HWND>(owner));
}

void TfrmVDConfig::WireRulePages() {
    struct Buttons {
        const char *addApp, *addExe, *addClass, *remove;
        ListPage page;
    };
    const Buttons pages[] = {
        {"btnAddExe", "btnAddStickyExe", "btnAdd", "btnRemove", StickyPage(*this)},
        {"btnAddIgnore", "btnAddExeIgnore", "btnAddClass", "btnRemoveIgnore",
         ListBoxPage(lbIgnore, rule_texts::kIgnoreEmpty)},
        {"btnAddWatchApp", "btnAddExeWatch", "btnAddWatchClass", "btnDelWatch",
         ListBoxPage(lbWatch, rule_texts::kWatchEmpty)},
    };
    auto wire = [this](const char* name, std::function<void()> handler) {
        if (auto* b = FindControl(name)) b->OnClick = std::move(handler);
    };
    for (const auto& b : pages) {
        wire(b.addApp, [page = b.page] { AddApplication(page); });
        wire(b.addExe, [this, page = b.page] { AddExecutable(page, Handle()); });
        wire(b.addClass, [page = b.page] { AddClass(page); });
        wire(b.remove, [this, page = b.page] { RemoveSelected(page, Handle()); });
    }
    WireAutoSendPage();
}

}  // namespace settings
