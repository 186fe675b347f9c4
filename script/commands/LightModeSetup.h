#pragma once
#include <string>
#include <utility>

// A payload file turned into a setup of this engine for one run. The built
// setup takes the payload file's name (the setup finds its files beside it by
// that name) while the original waits beside it as "<file>.nox"; Restore
// brings the original back once the setup has ended. A run cut off before
// that (the engine killed while its setup ran) is recovered by the next Build
// of the same file.
class LightModeSetup {
public:
    explicit LightModeSetup(std::string payloadFile) : file_(std::move(payloadFile)) {}
    ~LightModeSetup() { Restore(); }
    LightModeSetup(const LightModeSetup&) = delete;
    LightModeSetup& operator=(const LightModeSetup&) = delete;

    // False when the setup cannot be built, or a leftover ".nox" cannot be
    // proven to belong to an earlier run; nothing of the user's is changed then.
    bool Build();
    // Puts the original back and removes the keb.dll this setup copied; a
    // second call does nothing.
    void Restore();

private:
    bool RecoverEarlierRun() const;
    void CopyEngineLibrary();

    std::string file_;
    std::string kebCopy_;
    bool built_ = false;
};
