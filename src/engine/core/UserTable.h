#pragma once

#include <QString>

#include <array>
#include <cstdint>

// One slot of the user table; an empty Name marks a free slot.
struct UserEntry
{
    QString Name;
    bool Scraps = false;
    bool Favs = false;
};

inline constexpr int UserSlots = 1025;
inline constexpr int16_t MaxUsers = 1024;

// The users "Sync all" walks. Removing a user only frees its slot, so free
// slots may lie among the UserCount used ones; the slot at UserCount is always free.
struct UserTable
{
    std::array<UserEntry, UserSlots> Users;
    int16_t UserCount = 0;
};
