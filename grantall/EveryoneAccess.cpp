#include "EveryoneAccess.h"

namespace {

// Others get exactly `rights`; the mask only ever grows.
bool GrantOthers(CPosixAcl& acl, std::uint16_t rights) {
    bool changed = false;
    if (CPosixAcl::Entry* other = acl.Find(CPosixAcl::kOther); other && other->perm != rights) {
        other->perm = rights;
        changed = true;
    }
    if (CPosixAcl::Entry* mask = acl.Find(CPosixAcl::kMask); mask && (mask->perm & rights) != rights) {
        mask->perm |= rights;
        changed = true;
    }
    return changed;
}

bool CanExecute(const CPosixAcl::Entry* e) {
    return e && (e->perm & CPosixAcl::kExecute) != 0;
}

} // namespace

std::uint16_t EveryoneRights(const CPosixAcl& access, bool folder) {
    constexpr std::uint16_t kReadWrite = CPosixAcl::kRead | CPosixAcl::kWrite;
    if (folder) return CPosixAcl::kAll;
    // With a mask, the group class can run the file only if the mask allows it.
    const CPosixAcl::Entry* groupClass = access.Find(CPosixAcl::kMask);
    if (!groupClass) groupClass = access.Find(CPosixAcl::kGroupObj);
    const bool runnable = CanExecute(access.Find(CPosixAcl::kUserObj)) || CanExecute(groupClass) ||
                          CanExecute(access.Find(CPosixAcl::kOther));
    return runnable ? CPosixAcl::kAll : kReadWrite;
}

bool OpenAccessToEveryone(CPosixAcl& access, bool folder) {
    return GrantOthers(access, EveryoneRights(access, folder));
}

bool OpenDefaultToEveryone(CPosixAcl& defaults, bool present) {
    if (!present) {
        defaults.SetMinimal(CPosixAcl::kAll, CPosixAcl::kAll, CPosixAcl::kAll);
        return true;
    }
    return GrantOthers(defaults, CPosixAcl::kAll);
}
