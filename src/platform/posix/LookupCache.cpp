// LookupCache.cpp - what path look-ups learn during a run over many files, kept for the run.
//
// Resolving a Windows name on a case-sensitive host lists the directory whenever the exact
// spelling is missing, and a file about to be created is always missing. Within a
// LookupCacheScope each directory is listed once and this layer's own creations, removals and
// renames keep the listing true. Other programs (an event handler's, a user's) change folders
// too: a "missing" is therefore confirmed on disk before anyone decides on it, by the folder's
// stamp (inode and times in nanoseconds) and an lstat of the exact spelling, and a folder whose
// stamp moved is listed again. A look-up whose caller goes on to a system call on the name
// checks the stamp alone: that call meets the exact spelling itself.
#include "platform/Encoding.h"
#include "platform/FileSystem.h"
#include "platform/posix/HostPaths.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <dirent.h>
#include <sys/stat.h>

namespace vexo::platform {
namespace detail {
namespace {

struct ThreadCache {
    int depth = 0;
    LookupCache cache;
};

// Made by a thread's outermost scope and gone with it. A plain pointer, so that nothing is
// destroyed at thread or program exit that a late ForgetLookups (a static object's
// destructor) could still reach.
thread_local ThreadCache* t_lookups = nullptr;

std::string Folded(std::string_view cp1252) {
    return FoldFileNameCase(cp1252);
}

// Splits a host path into its directory ("" for "/") and its last name.
bool SplitHost(std::string host, std::string& dir, std::string& name) {
    while (host.size() > 1 && host.back() == '/')
        host.pop_back();
    const auto slash = host.rfind('/');
    if (slash == std::string::npos || slash + 1 >= host.size()) return false;
    dir = host.substr(0, slash);
    name = host.substr(slash + 1);
    return true;
}

std::string HostDir(const std::string& dir) {
    return dir.empty() ? std::string("/") : dir;
}

std::int64_t Nanoseconds(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// The exact spelling of `component` in the listing's names, else the smallest case variant.
const LookupCache::Name* Search(const std::vector<LookupCache::Name>& names,
                                const std::string& exact) {
    const LookupCache::Name* best = nullptr;
    for (const LookupCache::Name& n : names) {
        if (n.host == exact) return &n;
        if (!best || n.host < best->host) best = &n;
    }
    return best;
}

} // namespace

std::optional<LookupCache::Stamp> LookupCache::StampOf(const std::string& dir) {
    struct stat st {};
    if (::stat(HostDir(dir).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
    return Stamp{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                 Nanoseconds(st.st_mtim), Nanoseconds(st.st_ctim)};
}

bool LookupCache::Stale(const std::string& dir, const Listing& listing, const std::string& name,
                        bool listedAsPresent, bool askName) const {
    const auto now = StampOf(dir);
    if (!now || !(*now == listing.stamp) || listing.racy) return true;
    if (!askName) return false;
    // Two changes within one tick of the file-system clock leave the same times: the name
    // itself is asked too.
    struct stat st {};
    const bool present = ::lstat((dir + "/" + name).c_str(), &st) == 0 || errno != ENOENT;
    return present != listedAsPresent;
}

void LookupCache::Restamp(const std::string& dir, Listing& listing) {
    // A change by others in the moment between the last check and this layer's own change
    // is taken in with it; the exact spelling of a missing name is still asked on disk.
    if (const auto now = StampOf(dir)) {
        listing.stamp = *now;
        listing.racy = false;
    }
}

const std::string* LookupCache::DriveRoot(char letter) const {
    if (letter < 'A' || letter > 'Z') return nullptr;
    const auto& root = drives_[letter - 'A'];
    return root ? &*root : nullptr;
}

void LookupCache::SetDriveRoot(char letter, std::string root) {
    if (letter < 'A' || letter > 'Z') return;
    drives_[letter - 'A'] = std::move(root);
}

LookupCache::Listing* LookupCache::ListingOf(const std::string& dir, bool load) {
    if (auto it = dirs_.find(dir); it != dirs_.end()) {
        if (!it->second->gone) return it->second.get();
        dirs_.erase(it);
    }
    if (!load) return nullptr;
    // File times come from the coarse clock: read before listing, a directory time not older
    // than this moment may be followed by changes that keep it.
    timespec listedAt{};
    clock_gettime(CLOCK_REALTIME_COARSE, &listedAt);
    DIR* d = opendir(HostDir(dir).c_str());
    if (!d) return nullptr;
    // Stamped before reading: a change made while the names are read moves the stamp.
    struct stat st {};
    std::pair<std::uint64_t, std::uint64_t> identity{0, 0};
    Stamp stamp;
    if (fstat(dirfd(d), &st) == 0) {
        identity = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
        stamp = {identity.first, identity.second, Nanoseconds(st.st_mtim), Nanoseconds(st.st_ctim)};
        if (auto known = byIdentity_[identity].lock(); known && !known->gone) {
            closedir(d);
            dirs_[dir] = known;
            return known.get();
        }
    }
    auto listing = std::make_shared<Listing>();
    listing->stamp = stamp;
    listing->racy = std::max(stamp.modified, stamp.changed) >= Nanoseconds(listedAt);
    while (const dirent* e = readdir(d)) {
        std::string_view name = e->d_name;
        if (name == "." || name == "..") continue;
        listing->names[Folded(Utf8ToCp1252(name))].push_back({std::string(name), e->d_type});
    }
    closedir(d);
    if (identity.second != 0) byIdentity_[identity] = listing;
    dirs_[dir] = listing;
    return listing.get();
}

LookupCache::Found LookupCache::Find(const std::string& dir, const std::string& component,
                                     Check check) {
    const std::string folded = Folded(component);
    const std::string exact = Cp1252ToUtf8(component);
    for (int pass = 0;; ++pass) {
        Listing* listing = ListingOf(dir, true);
        if (!listing) return {};
        auto it = listing->names.find(folded);
        const Name* found = it == listing->names.end() ? nullptr : Search(it->second, exact);
        if (pass == 1 || (found && check != Check::Everything) ||
            !Stale(dir, *listing, found ? found->host : exact, found != nullptr,
                   check != Check::Stamp))
            return {true, found};
        listing->gone = true; // every path to it lists again
    }
}

void LookupCache::Created(const std::string& host, unsigned char type, bool restamp) {
    std::string dir, name;
    if (!SplitHost(host, dir, name)) return;
    Listing* listing = ListingOf(dir, false);
    if (!listing) return;
    if (restamp) Restamp(dir, *listing);
    auto& names = listing->names[Folded(Utf8ToCp1252(name))];
    for (Name& n : names) {
        if (n.host == name) {
            n.type = type;
            return;
        }
    }
    names.push_back({name, type});
}

void LookupCache::Removed(const std::string& host, bool restamp, bool directory) {
    std::string dir, name;
    if (!SplitHost(host, dir, name)) return;
    if (Listing* listing = ListingOf(dir, false)) {
        if (restamp) Restamp(dir, *listing);
        auto it = listing->names.find(Folded(Utf8ToCp1252(name)));
        if (it != listing->names.end()) {
            std::erase_if(it->second, [&](const Name& n) { return n.host == name; });
            if (it->second.empty()) listing->names.erase(it);
        }
    }
    // A removed or renamed directory takes what was known below it along, under every path.
    if (!directory) return;
    const std::string gone = dir + "/" + name;
    std::erase_if(dirs_, [&](const auto& entry) {
        const std::string& key = entry.first;
        const bool below =
            key == gone || (key.size() > gone.size() && key.compare(0, gone.size(), gone) == 0 &&
                            key[gone.size()] == '/');
        if (below) entry.second->gone = true;
        return below;
    });
}

void LookupCache::Renamed(const std::string& from, const std::string& to, unsigned char type) {
    std::string fromDir, toDir, name;
    // Within one directory both changes are taken in with one look at its stamp.
    const bool oneDir =
        SplitHost(from, fromDir, name) && SplitHost(to, toDir, name) && fromDir == toDir;
    Removed(from, !oneDir, type == DT_DIR);
    Created(to, type);
}

void LookupCache::Clear() {
    for (auto& root : drives_)
        root.reset();
    dirs_.clear();
    byIdentity_.clear();
}

LookupCache* ActiveLookupCache() {
    return t_lookups ? &t_lookups->cache : nullptr;
}

void NoteCreated(const std::string& host, unsigned char type) {
    if (LookupCache* cache = ActiveLookupCache()) cache->Created(host, type);
}

void NoteRemoved(const std::string& host) {
    if (LookupCache* cache = ActiveLookupCache()) cache->Removed(host);
}

void NoteRenamed(const std::string& from, const std::string& to, unsigned char type) {
    if (LookupCache* cache = ActiveLookupCache()) cache->Renamed(from, to, type);
}

} // namespace detail

LookupCacheScope::LookupCacheScope() {
    if (!detail::t_lookups) detail::t_lookups = new detail::ThreadCache;
    ++detail::t_lookups->depth;
}

LookupCacheScope::~LookupCacheScope() {
    if (--detail::t_lookups->depth == 0) {
        delete detail::t_lookups;
        detail::t_lookups = nullptr;
    }
}

void ForgetLookups() {
    if (detail::t_lookups) detail::t_lookups->cache.Clear();
}

} // namespace vexo::platform
