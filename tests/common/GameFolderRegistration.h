// The game's registry value, set for a test or a benchmark and put back.
#pragma once

#include <optional>
#include <string>

// Points HKLM "SOFTWARE\Infogrames\Master of Orion III" value
// "Program Location" at a folder (or removes the value) for the life of the
// object, and puts back what was there before. A program built like the
// launcher, both 32-bit or both 64-bit, writes the registry view that the
// launcher reads.
class GameFolderRegistration {
public:
    explicit GameFolderRegistration(const std::optional<std::string>& folder);
    GameFolderRegistration(const GameFolderRegistration&) = delete;
    GameFolderRegistration& operator=(const GameFolderRegistration&) = delete;
    ~GameFolderRegistration();
    bool ok() const { return ok_; }

private:
    std::optional<std::string> previous_;
    bool ok_ = false;
};
