#include "toolkit/icon_list.h"
#include <cstdint>
#include <cstring>
#include <utility>
#include "framework/guard.h"

namespace toolkit {

// Keeps BeginUpdate and EndUpdate paired whatever an operation raises.
class TIconList::UpdateScope {
public:
    explicit UpdateScope(TIconList& list) : list_(list) { list_.BeginUpdate(); }
    ~UpdateScope() {
        framework::Guard([this] { list_.EndUpdate(); });
    }
    UpdateScope(const UpdateScope&) = delete;
    UpdateScope& operator=(const UpdateScope&) = delete;
private:
    TIconList& list_;
};

TIconList::~TIconList() {
    OnChange = nullptr;
    for (auto& icon : list_)
        if (icon) icon->OnChange = nullptr;
    list_.clear();
}

void TIconList::EndUpdate() {
    if (updateCount_ > 0) --updateCount_;
    if (updateCount_ == 0) Changed();
}

void TIconList::Changed() {
    if (updateCount_ == 0 && OnChange) OnChange();
}

void TIconList::CheckIndex(int index) const {
    if (index < 0 || index >= IconCount())
        throw framework::Exception("List index out of bounds (" + std::to_string(index) + ")");
}

TIcon* TIconList::GetIconEntry(int index) const {
    CheckIndex(index);
    return list_[static_cast<size_t>(index)].get();
}

void TIconList::Hook(TIcon& icon) {
    icon.OnChange = [this] { Changed(); };
}

std::unique_ptr<TIcon> TIconList::NewIcon(const TIcon* source) {
    auto icon = std::make_unique<TIcon>();
    icon->Assign(source);   // a failure frees the new icon on the way out
    return icon;
}

std::unique_ptr<TIcon> TIconList::IconFromResource(HINSTANCE module, const char* name) {
    HANDLE loaded = ::LoadImageA(module, name, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE);
    if (!loaded) throw framework::Exception("Icon resource not found");
    auto icon = std::make_unique<TIcon>();
    icon->SetHandle(static_cast<HICON>(loaded));
    return icon;
}

void TIconList::AppendEntry(std::unique_ptr<TIcon> icon) {
    if (icon) Hook(*icon);
    list_.push_back(std::move(icon));
    Changed();
}

void TIconList::SetIcon(int index, const TIcon* source) {
    UpdateScope update(*this);
    if (index == IconCount()) list_.emplace_back();
    CheckIndex(index);
    auto& entry = list_[static_cast<size_t>(index)];
    if (!entry) entry = std::make_unique<TIcon>();
    Hook(*entry);
    entry->Assign(source);
}

int TIconList::AddIcon(const TIcon* source) {
    AppendEntry(NewIcon(source));
    return IconCount() - 1;
}

int TIconList::AddIconResource(HINSTANCE module, const char* name) {
    AppendEntry(IconFromResource(module, name));
    return IconCount() - 1;
}

void TIconList::ClearIcons() {
    if (list_.empty()) return;
    UpdateScope update(*this);
    for (int i = IconCount() - 1; i >= 0; --i) DeleteIcon(i);
}

void TIconList::DeleteIcon(int index) {
    CheckIndex(index);
    auto entry = std::move(list_[static_cast<size_t>(index)]);
    if (entry) entry->OnChange = nullptr;
    list_.erase(list_.begin() + index);
    entry.reset();
    Changed();
}

void TIconList::ExchangeIcons(int i, int j) {
    CheckIndex(i);
    CheckIndex(j);
    std::swap(list_[static_cast<size_t>(i)], list_[static_cast<size_t>(j)]);
    Changed();
}

int TIconList::IndexOfIcon(const TIcon* icon) const noexcept {
    for (size_t i = 0; i < list_.size(); ++i)
        if (list_[i].get() == icon) return static_cast<int>(i);
    return -1;
}

void TIconList::InsertIcon(int index, const TIcon* source) {
    if (index < 0 || index > IconCount())
        throw framework::Exception("List index out of bounds (" + std::to_string(index) + ")");
    auto icon = NewIcon(source);
    Hook(*icon);
    list_.insert(list_.begin() + index, std::move(icon));
    Changed();
}

void TIconList::InsertIconResource(int index, HINSTANCE module, const char* name) {
    if (index < 0 || index > IconCount())
        throw framework::Exception("List index out of bounds (" + std::to_string(index) + ")");
    auto icon = IconFromResource(module, name);
    Hook(*icon);
    list_.insert(list_.begin() + index, std::move(icon));
    Changed();
}

void TIconList::MoveIcon(int from, int to) {
    CheckIndex(from);
    CheckIndex(to);
    if (from == to) return;
    auto entry = std::move(list_[static_cast<size_t>(from)]);
    list_.erase(list_.begin() + from);
    list_.insert(list_.begin() + to, std::move(entry));
    Changed();
}

namespace {

int32_t ReadInt32(std::string_view bytes, size_t& pos) {
    if (bytes.size() - pos < sizeof(int32_t)) throw framework::Exception("Stream read error");
    int32_t value;
    std::memcpy(&value, bytes.data() + pos, sizeof value);
    pos += sizeof value;
    return value;
}

void WriteInt32(std::string& out, int32_t value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

}  // namespace

size_t TIconList::LoadIconsFromStream(std::string_view bytes) {
    UpdateScope update(*this);
    ClearIcons();
    size_t pos = 0;
    int32_t count = ReadInt32(bytes, pos);
    // Every entry takes at least its size field: a larger count is a lie.
    if (count < 0 || static_cast<size_t>(count) > (bytes.size() - pos) / sizeof(int32_t))
        throw framework::Exception("Stream read error");
    for (int32_t i = 0; i < count; ++i) {
        int32_t size = ReadInt32(bytes, pos);
        if (size <= 0) {
            AppendEntry(nullptr);
            continue;
        }
        if (static_cast<size_t>(size) > bytes.size() - pos) throw framework::Exception("Stream read error");
        auto icon = std::make_unique<TIcon>();
        icon->LoadFromBytes(bytes.substr(pos, static_cast<size_t>(size)));
        pos += static_cast<size_t>(size);
        AppendEntry(std::move(icon));
    }
    return pos;
}

void TIconList::SaveIconsToStream(std::string& out) const {
    WriteInt32(out, IconCount());
    for (const auto& icon : list_) {
        std::string image = icon ? icon->SaveToBytes() : std::string();
        WriteInt32(out, static_cast<int32_t>(image.size()));
        out += image;
    }
}

void TIconList::Assign(const TIconList& source) {
    if (&source == this) return;
    UpdateScope update(*this);
    ClearIcons();
    for (int i = 0; i < source.IconCount(); ++i) {
        if (const TIcon* icon = source.GetIconEntry(i))
            AddIcon(icon);
        else
            AppendEntry(nullptr);
    }
}

void TIconList::Assign(const TIcon& source) {
    UpdateScope update(*this);
    ClearIcons();
    AddIcon(&source);
}

bool TIconList::NeedsStoring(const TIconList* ancestor) const noexcept {
    if (!ancestor) return IconCount() > 0;
    if (ancestor->IconCount() != IconCount()) return true;
    for (int i = 0; i < IconCount(); ++i)
        if (ancestor->list_[static_cast<size_t>(i)].get() != list_[static_cast<size_t>(i)].get()) return true;
    return false;
}

}  // namespace toolkit
