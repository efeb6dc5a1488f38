#include "dbf/TagVerify.h"

#include <unordered_set>

#include "dbf/TagKey.h"

namespace dbf {

std::vector<std::string> collectTagKeys(ProductionIndex& index, std::size_t tagIndex, std::uint32_t recordCount,
                                        bool everyRecord, bool* outOfOrder) {
    const ProductionIndex::Tag& tag = index.tag(tagIndex);
    auto disorder = [&](const char* what) {
        if (!outOfOrder) index.damaged(what);
        *outOfOrder = true;
    };
    const auto keyLength = static_cast<std::size_t>(tag.keyLength);
    index.dropCache();
    std::vector<std::string> keys(recordCount);
    std::unordered_set<std::uint32_t> visited;
    int leafDepth = -1;
    std::string previousKey;
    std::uint32_t previousRecord = 0;
    std::size_t seen = 0;

    struct Frame {
        std::uint32_t page;
        int depth;
        std::string lower, upper;
    };
    // Depth-first, left to right, with an explicit stack so a hostile file cannot exhaust ours.
    std::vector<Frame> stack;
    stack.push_back({tag.root, 0, {}, {}});
    while (!stack.empty()) {
        Frame f = std::move(stack.back());
        stack.pop_back();
        if (f.depth > kMaxTagDepth || !visited.insert(f.page).second) index.damaged("цикл в дереве тега.");
        const ProductionIndex::Node n = index.node(tag, f.page);  // a copy: the cache may be trimmed below us
        for (std::size_t i = 0; i < n.count(); ++i) {
            const std::string key = n.keys.substr(i * keyLength, keyLength);
            if ((!f.lower.empty() && compareKeys(tag, key.data(), f.lower.data()) < 0) ||
                (!f.upper.empty() && compareKeys(tag, key.data(), f.upper.data()) > 0))
                disorder("ключ вне границ своего узла.");
            if (!n.leaf() && i > 0 && compareKeys(tag, key.data(), n.keys.data() + (i - 1) * keyLength) < 0)
                disorder("нарушен порядок ключей.");
        }
        if (n.leaf()) {
            if (leafDepth < 0) leafDepth = f.depth;
            if (leafDepth != f.depth) index.damaged("листья на разной глубине.");
            for (std::size_t i = 0; i < n.count(); ++i) {
                const std::string key = n.keys.substr(i * keyLength, keyLength);
                const std::uint32_t record = n.pointers[i];
                const int order = seen > 0 ? compareKeys(tag, key.data(), previousKey.data()) : 1;
                if (order < 0 || (order == 0 && record <= previousRecord)) disorder("нарушен порядок ключей.");
                if (record < 1 || record > recordCount) index.damaged("ссылка на запись вне таблицы.");
                if (!keys[record - 1].empty()) index.damaged("запись указана дважды.");
                keys[record - 1] = key;
                previousKey = key;
                previousRecord = record;
                ++seen;
            }
            continue;
        }
        // Children pushed right to left so the leftmost is walked first.
        for (std::size_t k = n.count() + 1; k-- > 0;) {
            Frame child;
            child.page = k < n.count() ? n.pointers[k] : n.trailing;
            child.depth = f.depth + 1;
            child.lower = k > 0 ? n.keys.substr((k - 1) * keyLength, keyLength) : f.lower;
            child.upper = k < n.count() ? n.keys.substr(k * keyLength, keyLength) : f.upper;
            stack.push_back(std::move(child));
        }
        if (stack.size() > 1'000'000) index.damaged("слишком много узлов.");
    }
    if (everyRecord && seen != recordCount) index.damaged("число ключей тега не совпадает с числом записей таблицы.");
    return keys;
}

}  // namespace dbf
