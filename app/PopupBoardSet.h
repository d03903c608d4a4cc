#pragma once

#include <map>
#include <memory>
#include <vector>

#include "board/DlgOptionTTablePopup.h"
#include "model/DataMutex.h"

namespace quillon::app {

// The open popup boards of the popup run mode, ordered by object identity and owned here.
// Guarded by DataMutex, which quotes hold while they reach the popups; every member takes
// it (it is re-entrant, so a caller may hold it already).
class PopupBoardSet {
public:
    using Popup = board::CDlgOptionTTablePopup;

    PopupBoardSet() = default;
    ~PopupBoardSet() { DestroyAll(); }
    PopupBoardSet(const PopupBoardSet&) = delete;
    PopupBoardSet& operator=(const PopupBoardSet&) = delete;

    // The popups in set order, a copy to walk without the lock.
    std::vector<Popup*> List() const;
    // Adds a popup made outside the lock; one already here stays as it is.
    void Add(std::unique_ptr<Popup> popup);
    // Removes a popup and destroys it (its window with it) holding the lock; false when
    // `popup` is none of ours: the pointer a message carries is only a key until found.
    bool Destroy(Popup* popup);
    // Destroys every popup; the windows go outside the lock.
    void DestroyAll();

    // Holding the lock: `visit(popup)` for each popup in set order.
    template <typename Visit>
    void ForEach(Visit visit) const {
        model::DataLock lock;
        for (const auto& entry : popups_) visit(*entry.first);
    }
    // Holding the lock: the first popup in set order that `matches`, else null. The caller
    // holds the lock itself for as long as it uses the popup.
    template <typename Match>
    Popup* FindFirst(Match matches) const {
        model::DataLock lock;
        for (const auto& entry : popups_) {
            if (matches(*entry.first)) return entry.first;
        }
        return nullptr;
    }

private:
    std::map<Popup*, std::unique_ptr<Popup>> popups_;
};

}  // namespace quillon::app
