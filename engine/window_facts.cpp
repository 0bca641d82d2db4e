#include "engine/window_facts.h"

namespace engine {

const TWindowFacts* TWindowFactsCache::Find(HWND w, const TWindowIdentity& now) {
    auto it = facts_.find(w);
    if (it == facts_.end()) return nullptr;
    if (now.ThreadId != 0 && it->second.Identity == now) return &it->second;
    facts_.erase(it);
    return nullptr;
}

const TWindowFacts& TWindowFactsCache::Store(HWND w, TWindowFacts facts) {
    return facts_.insert_or_assign(w, std::move(facts)).first->second;
}

void TWindowFactsCache::KeepOnly(const std::vector<HWND>& alive) {
    const std::unordered_set<HWND> met(alive.begin(), alive.end());
    std::erase_if(facts_, [&met](const auto& entry) { return !met.count(entry.first); });
}

std::unordered_set<DWORD> TWindowFactsCache::ProcessIds() const {
    std::unordered_set<DWORD> ids;
    for (const auto& [w, f] : facts_) ids.insert(f.Identity.ProcessId);
    return ids;
}

const std::string* TProcessExeCache::Find(DWORD processId) const {
    auto it = paths_.find(processId);
    return it == paths_.end() ? nullptr : &it->second;
}

const std::string& TProcessExeCache::Store(DWORD processId, std::string upperExePath) {
    return paths_.insert_or_assign(processId, std::move(upperExePath)).first->second;
}

void TProcessExeCache::KeepProcessesOf(const TWindowFactsCache& windows) {
    const std::unordered_set<DWORD> live = windows.ProcessIds();
    std::erase_if(paths_, [&live](const auto& entry) { return !live.count(entry.first); });
}

}  // namespace engine
