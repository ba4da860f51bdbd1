// Seams: one struct of function pointers per family of calls that must not
// run for real in a test (dialogs that wait for a person, the Windows version
// a test wants to pretend). Product code calls the family through its
// struct; tests swap it for the length of a scope.
#pragma once

namespace vx::setup::platform {

// Replaces one seam entry for the lifetime of the guard, then restores it.
template <class Fn>
class SeamOverride {
public:
    SeamOverride(Fn& slot, Fn replacement) : slot_(slot), saved_(slot) { slot_ = replacement; }
    ~SeamOverride() { slot_ = saved_; }
    SeamOverride(const SeamOverride&) = delete;
    SeamOverride& operator=(const SeamOverride&) = delete;

private:
    Fn& slot_;
    Fn saved_;
};

// Replaces a whole seam struct for the lifetime of the guard.
template <class Seam>
class ScopedSeam {
public:
    ScopedSeam(Seam& live, const Seam& replacement) : live_(live), saved_(live) { live_ = replacement; }
    ~ScopedSeam() { live_ = saved_; }
    ScopedSeam(const ScopedSeam&) = delete;
    ScopedSeam& operator=(const ScopedSeam&) = delete;

private:
    Seam& live_;
    Seam saved_;
};

} // namespace vx::setup::platform
