#include "units/Tkeyname.h"

#include <algorithm>
#include <utility>

TKeyName::SKeyName::SKeyName(std::string key, std::string name)
    : Key(std::move(key)), Name(std::move(name)) {}

TKeyName::TKeyName() { Clear(); }

TKeyName::~TKeyName() { Clear(); }

bool TKeyName::Add(const std::string& key, const std::string& name) {
    if (!FItems.Add(name, SKeyName(key, name))) return false;
    const auto [first, inserted] = FFirstNameByKey.emplace(key, name);
    if (!inserted && name < first->second) first->second = name;
    FPositionsValid = false;
    return true;
}

void TKeyName::Clear() {
    FItems.Clear();
    FFirstNameByKey.clear();
    FByPosition.clear();
    FPositionsValid = true;
}

void TKeyName::refreshPositions() const {
    if (FPositionsValid) return;
    FByPosition.clear();
    FByPosition.reserve(FItems.Count());
    for (const auto& item : FItems) FByPosition.push_back(&item.second);
    FPositionsValid = true;
}

int TKeyName::positionOf(const std::string& name) const {
    if (FItems.find(name) == FItems.end()) return -1;
    refreshPositions();
    // The list is in name order, so the rank is found by bisection.
    const auto it = std::lower_bound(
        FByPosition.begin(), FByPosition.end(), name,
        [](const SKeyName* entry, const std::string& wanted) { return entry->Name < wanted; });
    return static_cast<int>(it - FByPosition.begin());
}

bool TKeyName::GetKeys(std::string& keys) const {
    keys.clear();
    for (const auto& item : FItems) keys += item.second.Key + "\n";
    return true;
}

bool TKeyName::GetNames(std::string& names) const {
    names.clear();
    for (const auto& item : FItems) names += item.second.Name + "\n";
    return true;
}

bool TKeyName::GetKeyNames(std::string& keyNames) const {
    keyNames.clear();
    for (const auto& item : FItems) keyNames += item.second.Key + "=" + item.second.Name + "\n";
    return true;
}

std::string TKeyName::GetNameByKey(const std::string& key) const {
    const auto it = FFirstNameByKey.find(key);
    return it == FFirstNameByKey.end() ? std::string() : it->second;
}

int TKeyName::IndexOfKey(const std::string& key) const {
    const auto it = FFirstNameByKey.find(key);
    return it == FFirstNameByKey.end() ? -1 : positionOf(it->second);
}

int TKeyName::IndexOfName(const std::string& name) const { return positionOf(name); }

bool TKeyName::GetKeyByName(const std::string& name, std::string& key) const {
    const auto it = FItems.find(name);
    if (it == FItems.end()) return false;
    key = it->second.Key;
    return true;
}

int TKeyName::Count() const { return static_cast<int>(FItems.Count()); }
