#include "app/PopupBoardSet.h"

#include <utility>

namespace quillon::app {

std::vector<PopupBoardSet::Popup*> PopupBoardSet::List() const {
    model::DataLock lock;
    std::vector<Popup*> popups;
    for (const auto& entry : popups_) popups.push_back(entry.first);
    return popups;
}

void PopupBoardSet::Add(std::unique_ptr<Popup> popup) {
    if (!popup) return;
    model::DataLock lock;
    Popup* key = popup.get();
    popups_.emplace(key, std::move(popup));
}

bool PopupBoardSet::Destroy(Popup* popup) {
    model::DataLock lock;
    auto found = popups_.find(popup);
    if (found == popups_.end()) return false;
    // Out of the set first, then destroyed: nothing the popup does on its way out meets
    // a set that still holds it.
    std::unique_ptr<Popup> closed = std::move(found->second);
    popups_.erase(found);
    closed.reset();
    return true;
}

void PopupBoardSet::DestroyAll() {
    std::map<Popup*, std::unique_ptr<Popup>> popups;
    {
        model::DataLock lock;
        popups.swap(popups_);
    }
}

}  // namespace quillon::app
