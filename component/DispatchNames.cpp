#include "component/DispatchNames.h"

#include "component/ZentorMembers.h"

namespace {

OLECHAR AsciiLower(OLECHAR c) {
    return c >= 'A' && c <= 'Z' ? static_cast<OLECHAR>(c - 'A' + 'a') : c;
}

// Compares the start of `name` with `entry`, ignoring the case of ASCII letters; on a
// match `name` is moved past it.
bool StartsWith(const OLECHAR*& name, const char* entry) {
    const OLECHAR* rest = name;
    for (; *entry != 0; ++rest, ++entry) {
        if (AsciiLower(*rest) != AsciiLower(static_cast<OLECHAR>(*entry))) {
            return false;
        }
    }
    name = rest;
    return true;
}

bool SameName(const OLECHAR* name, const char* entry) {
    return StartsWith(name, entry) && *name == 0;
}

// Properties also answer to their get_ and put_ forms, read-only ones to get_ only.
bool Names(const ZentorMember& member, const OLECHAR* name) {
    if (SameName(name, member.name)) {
        return true;
    }
    const OLECHAR* rest = name;
    if (member.kind != MemberKind::Method && StartsWith(rest, "get_")) {
        return SameName(rest, member.name);
    }
    rest = name;
    if (member.kind == MemberKind::ReadWrite && StartsWith(rest, "put_")) {
        return SameName(rest, member.name);
    }
    return false;
}

} // namespace

bool FindDispatchId(const OLECHAR* name, DISPID& id) {
    if (name == nullptr) {
        return false;
    }
    for (const ZentorMember& member : kZentorMembers) {
        if (Names(member, name)) {
            id = member.id;
            return true;
        }
    }
    return false;
}
