#pragma once
// TIconList: an ordered list of icons that owns them, announces every
// change, and streams itself as the binary property "Icons".
//
// Stream format, little-endian: count (int32), then per entry its size
// (int32; 0 for an empty entry or an empty icon) and that many bytes of the
// icon's file image.
#include <windows.h>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>
#include "framework/icon_picture.h"

namespace toolkit {

using TIcon = framework::IconPicture;

class TIconList {
public:
    TIconList() = default;
    virtual ~TIconList();
    TIconList(const TIconList&) = delete;
    TIconList& operator=(const TIconList&) = delete;

    std::function<void()> OnChange;

    void BeginUpdate() noexcept { ++updateCount_; }
    void EndUpdate();

    virtual void Changed();
    // The icon of the entry; none for an empty entry. Raises
    // framework::Exception for an index out of range (as every operation does).
    virtual TIcon* GetIconEntry(int index) const;
    virtual int IconCount() const noexcept { return static_cast<int>(list_.size()); }
    // An index equal to the count appends; an empty entry gets an icon.
    virtual void SetIcon(int index, const TIcon* source);
    virtual int AddIcon(const TIcon* source);
    virtual int AddIconResource(HINSTANCE module, const char* name);
    virtual void ClearIcons();
    virtual void DeleteIcon(int index);
    virtual void ExchangeIcons(int i, int j);
    virtual int IndexOfIcon(const TIcon* icon) const noexcept;
    virtual void InsertIcon(int index, const TIcon* source);
    virtual void InsertIconResource(int index, HINSTANCE module, const char* name);
    // Clears the list, then reads one "Icons" property from the start of the
    // bytes; answers how many bytes it took. Raises framework::Exception for
    // a count or size that the bytes cannot hold and for invalid icon data.
    virtual size_t LoadIconsFromStream(std::string_view bytes);
    virtual void MoveIcon(int from, int to);
    virtual void SaveIconsToStream(std::string& out) const;

    void Assign(std::nullptr_t) { ClearIcons(); }
    void Assign(const TIconList& source);
    void Assign(const TIcon& source);

    // Whether the "Icons" property is written for a component whose ancestor
    // (none for a component of its own) holds this list: entries are
    // compared by identity.
    bool NeedsStoring(const TIconList* ancestor) const noexcept;

private:
    class UpdateScope;
    void CheckIndex(int index) const;
    std::unique_ptr<TIcon> NewIcon(const TIcon* source);
    std::unique_ptr<TIcon> IconFromResource(HINSTANCE module, const char* name);
    void Hook(TIcon& icon);
    void AppendEntry(std::unique_ptr<TIcon> icon);

    std::vector<std::unique_ptr<TIcon>> list_;   // null: an empty entry
    int updateCount_ = 0;
};

}  // namespace toolkit
