#pragma once
// A dictionary of entries that pair a key (a code) with a name. Entries are unique by name and
// kept in the byte order of their names; an entry's position is its rank in that order. Keys
// may repeat: a lookup by key yields the entry whose name comes first. TStdEdIzm holds the
// standard units of measure in one; the converter asks it for the code of a unit name.
#include <map>
#include <string>
#include <vector>

#include "units/Cmaparray.h"

class TKeyName {
public:
    struct SKeyName {
        SKeyName() = default;
        SKeyName(std::string key, std::string name);

        std::string Key;
        std::string Name;
    };

    TKeyName();
    TKeyName(const TKeyName&) = delete;
    TKeyName& operator=(const TKeyName&) = delete;

    // The listings first empty the out text; each entry ends with "\n", in position order.
    virtual bool GetKeys(std::string& keys) const;
    virtual bool GetNames(std::string& names) const;
    virtual bool GetKeyNames(std::string& keyNames) const;  // "Key=Name\n" per entry
    // Lookups compare byte for byte, case-sensitive, without trimming.
    virtual std::string GetNameByKey(const std::string& key) const;
    virtual int IndexOfKey(const std::string& key) const;
    virtual int IndexOfName(const std::string& name) const;
    // Leaves the out key unchanged when no entry has the name.
    virtual bool GetKeyByName(const std::string& name, std::string& key) const;
    virtual int Count() const;

    // Declared after the eight lookups so that those keep the first places in the table of
    // virtual operations.
    virtual ~TKeyName();

    // False, and the entry already stored kept, when an entry has this name.
    bool Add(const std::string& key, const std::string& name);
    void Clear();

private:
    void refreshPositions() const;
    int positionOf(const std::string& name) const;

    // The entries by name.
    CMapArray<std::string, SKeyName> FItems;
    // For every key the name of its first entry in name order, so a lookup by key is
    // logarithmic instead of a walk over all positions.
    std::map<std::string, std::string> FFirstNameByKey;
    // The entries in position order, rebuilt after a change when a position is asked for.
    mutable std::vector<const SKeyName*> FByPosition;
    mutable bool FPositionsValid = true;
};
