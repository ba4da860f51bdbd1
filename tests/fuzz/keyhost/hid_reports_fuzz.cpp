// The host's HID report handling as a stream of operations: reports of
// several devices and report IDs (usages turned into codes), keys of the
// keyboard hook and the replay, release-all, and volume dial values. Checked
// against a model of what each source holds: the keys the changes act on are
// exactly the keys some source holds (a subset once the holding table was
// full), every press is matched by one release, release-all ends them all,
// and dial steps stay in bounds.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "core/consumer_keys.h"
#include "core/key_tracker.h"

using namespace keyhost;

namespace {

struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::uint8_t byte() { return size ? (--size, *data++) : 0; }
    std::uint16_t word()
    {
        const std::uint16_t low = byte();
        return static_cast<std::uint16_t>(low | byte() << 8);
    }
    std::uint32_t dword()
    {
        const std::uint32_t low = word();
        return low | static_cast<std::uint32_t>(word()) << 16;
    }
};

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

struct SourceLess {
    bool operator()(const Source& a, const Source& b) const
    {
        return a.device != b.device ? a.device < b.device : a.channel < b.channel;
    }
};

struct Harness {
    KeyTracker tracker;
    std::map<Source, std::set<std::uint32_t>, SourceLess> held; // the model
    std::set<std::uint32_t> acted;                              // down, as the changes said
    std::set<std::uint32_t> seen;
    bool ever_full = false;

    void apply(const std::vector<KeyChange>& changes)
    {
        for (const KeyChange& c : changes) {
            check(c.code != 0);
            check(c.pressed ? acted.insert(c.code).second : acted.erase(c.code) == 1);
        }
    }

    void verify()
    {
        ever_full |= tracker.holdings() >= kMaxHoldings;
        check(tracker.holdings() <= kMaxHoldings);
        std::set<std::uint32_t> given;
        std::size_t pairs = 0;
        for (const auto& [source, codes] : held) {
            given.insert(codes.begin(), codes.end());
            pairs += codes.size();
        }
        check(tracker.holdings() <= pairs);
        for (const std::uint32_t code : seen) {
            check(tracker.down(code) == (acted.count(code) == 1));
            if (acted.count(code))
                check(given.count(code) == 1);
            else if (!ever_full)
                check(given.count(code) == 0);
        }
    }

    void report(Input& in)
    {
        static constexpr std::uint16_t kPages[] = {kConsumerPage, kGenericDesktopPage, kTelephonyPage, 0x07};
        const Source source{1 + in.byte() % 4u, in.byte() % 3u};
        std::vector<std::uint32_t> codes;
        for (int n = in.byte() % 64; n > 0; --n) {
            const std::uint16_t page = kPages[in.byte() % 4];
            codes.push_back(code_of_usage(page, page == kConsumerPage ? in.word() : in.byte()));
        }
        std::vector<KeyChange> changes;
        tracker.set(source, codes, changes);
        auto& model = held[source];
        model.clear();
        for (const std::uint32_t code : codes)
            if (code) {
                model.insert(code);
                seen.insert(code);
            }
        apply(changes);
    }

    void stream_key(Source source, std::uint32_t code, bool pressed)
    {
        std::vector<KeyChange> changes;
        tracker.key(source, code, pressed, changes);
        check(changes.size() <= 1);
        if (code) {
            seen.insert(code);
            if (pressed)
                held[source].insert(code);
            else
                held[source].erase(code);
        }
        apply(changes);
    }

    void release_all()
    {
        std::vector<KeyChange> changes;
        tracker.release_all(changes);
        apply(changes);
        check(acted.empty() && tracker.holdings() == 0);
        held.clear();
        ever_full = false;
    }
};

void dial(Input& in, std::optional<std::int32_t>& previous)
{
    const std::uint32_t raw = in.dword();
    const std::uint16_t bits = in.byte() % 40;
    const bool is_signed = in.byte() & 1;
    const bool relative = in.byte() & 1;
    const std::int32_t value = dial_value(raw, bits, is_signed);
    const unsigned width = bits == 0 || bits > 32 ? 32 : bits;
    if (is_signed)
        check(width == 32 || (value >= -(std::int64_t{1} << (width - 1)) && value < (std::int64_t{1} << (width - 1))));
    else
        check(value >= 0 && (width == 32 || value < (std::int64_t{1} << width)));
    const std::optional<std::int32_t> before = previous;
    const int steps = dial_steps({relative, value}, previous);
    check(steps >= -kMaxDialSteps && steps <= kMaxDialSteps);
    if (relative)
        check((steps > 0) == (value > 0) && (steps < 0) == (value < 0));
    else
        check(before || steps == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Input in{data, size};
    Harness h;
    std::optional<std::int32_t> dial_previous;
    while (in.size) {
        switch (in.byte() % 6) {
        case 0: h.report(in); break;
        case 1: {
            const std::uint8_t vk = in.byte();
            h.stream_key(kHookSource, code_of_virtual_key(vk), in.byte() & 1);
            break;
        }
        case 2: {
            const std::uint32_t code = in.word();
            h.stream_key(kReplaySource, code, in.byte() & 1);
            break;
        }
        case 3: h.release_all(); break;
        case 4: dial(in, dial_previous); break;
        default: {
            // An all-zero report: the source lets go of everything it held.
            const Source source{1 + in.byte() % 4u, in.byte() % 3u};
            std::vector<KeyChange> changes;
            h.tracker.set(source, {}, changes);
            h.held.erase(source);
            h.apply(changes);
            break;
        }
        }
        h.verify();
    }
    h.release_all();
    return 0;
}
