// Owner and access list of files, read and compared.
#include "platform/FileSecurity.h"

#include <cstring>
#include <vector>

namespace {

constexpr SECURITY_INFORMATION kOwnerAndAccess = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;

// A self-relative security descriptor from `query`, which fills a buffer as
// GetFileSecurityA does; empty when it cannot be read.
template <typename Query> std::vector<BYTE> ReadDescriptor(Query query) {
    std::vector<BYTE> descriptor(256);
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD needed = 0;
        if (query(descriptor.data(), static_cast<DWORD>(descriptor.size()), &needed))
            return descriptor;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= descriptor.size())
            break;
        descriptor.resize(needed);
    }
    return {};
}

bool SameOwner(PSECURITY_DESCRIPTOR a, PSECURITY_DESCRIPTOR b) {
    PSID ownerA = nullptr, ownerB = nullptr;
    BOOL defaulted = FALSE;
    if (!GetSecurityDescriptorOwner(a, &ownerA, &defaulted) || !GetSecurityDescriptorOwner(b, &ownerB, &defaulted))
        return false;
    if (ownerA == nullptr || ownerB == nullptr)
        return ownerA == ownerB;
    return EqualSid(ownerA, ownerB) != FALSE;
}

// The access list, or null where there is none (everyone may do anything).
bool ReadDacl(PSECURITY_DESCRIPTOR descriptor, PACL& dacl) {
    BOOL present = FALSE, defaulted = FALSE;
    if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted))
        return false;
    if (!present)
        dacl = nullptr;
    return true;
}

bool IsDaclProtected(PSECURITY_DESCRIPTOR descriptor) {
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    return GetSecurityDescriptorControl(descriptor, &control, &revision) && (control & SE_DACL_PROTECTED) != 0;
}

// The same entries in the same order: inherited ones included, since a file
// that took other inherited entries would grant other rights.
bool SameAccess(PSECURITY_DESCRIPTOR a, PSECURITY_DESCRIPTOR b) {
    PACL daclA = nullptr, daclB = nullptr;
    if (!ReadDacl(a, daclA) || !ReadDacl(b, daclB) || IsDaclProtected(a) != IsDaclProtected(b))
        return false;
    if (daclA == nullptr || daclB == nullptr)
        return daclA == daclB;
    if (daclA->AceCount != daclB->AceCount)
        return false;
    for (WORD i = 0; i < daclA->AceCount; ++i) {
        void* aceA = nullptr;
        void* aceB = nullptr;
        if (!GetAce(daclA, i, &aceA) || !GetAce(daclB, i, &aceB))
            return false;
        const WORD size = static_cast<const ACE_HEADER*>(aceA)->AceSize;
        if (size != static_cast<const ACE_HEADER*>(aceB)->AceSize || std::memcmp(aceA, aceB, size) != 0)
            return false;
    }
    return true;
}

} // namespace

bool HasOwnerAndAccessOf(HANDLE file, const std::string& path) {
    std::vector<BYTE> ours = ReadDescriptor([&](BYTE* buffer, DWORD size, DWORD* needed) {
        return GetKernelObjectSecurity(file, kOwnerAndAccess, buffer, size, needed) != FALSE;
    });
    std::vector<BYTE> theirs = ReadDescriptor([&](BYTE* buffer, DWORD size, DWORD* needed) {
        return GetFileSecurityA(path.c_str(), kOwnerAndAccess, buffer, size, needed) != FALSE;
    });
    if (ours.empty() || theirs.empty())
        return false;
    return SameOwner(ours.data(), theirs.data()) && SameAccess(ours.data(), theirs.data());
}
