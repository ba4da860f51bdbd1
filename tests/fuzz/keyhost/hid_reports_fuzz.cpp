// The host's HID report handling as a stream of operations: reports of
// several devices and report IDs (usages turned into codes), keys of the
// keyboard hook and the replay, empty reports, release-all and volume dial
// values. Checked against a model of what each source holds: the keys the
// changes act on are the keys some source holds (a subset once the holding
// table was full), each press is ended by one release, release-all ends them
// all, and dial values and steps stay in range.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "core/consumer_keys.h"
#include "core/key_tracker.h"

using namespace keyhost;

namespace {

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::uint32_t byte() { return size ? (--size, *data++) : 0u; }
    std::uint32_t word()
    {
        const std::uint32_t low = byte();
        return low | byte() << 8;
    }
    Source device() { return {1 + byte() % 4u, byte() % 3u}; }
};

struct Harness {
    KeyTracker tracker;
    std::map<std::pair<std::uint64_t, std::uint32_t>, std::set<std::uint32_t>> held; // the model
    std::set<std::uint32_t> acted; // down, as the changes said
    bool ever_full = false;

    bool given(std::uint32_t code) const
    {
        for (const auto& [source, codes] : held)
            if (codes.count(code))
                return true;
        return false;
    }

    // Only the codes an operation named, or a source let go of, can change.
    void apply(const std::vector<KeyChange>& changes, const std::set<std::uint32_t>& touched)
    {
        for (const KeyChange& c : changes)
            check(c.code != 0 && (c.pressed ? acted.insert(c.code).second : acted.erase(c.code) == 1));
        ever_full |= tracker.holdings() >= kMaxHoldings;
        std::size_t pairs = 0;
        for (const auto& [source, codes] : held)
            pairs += codes.size();
        check(tracker.holdings() <= kMaxHoldings && tracker.holdings() <= pairs);
        for (const std::uint32_t code : touched) {
            check(tracker.down(code) == (acted.count(code) == 1));
            check(acted.count(code) ? given(code) : ever_full || !given(code));
        }
    }

    void set(Source source, const std::vector<std::uint32_t>& codes)
    {
        std::vector<KeyChange> changes;
        tracker.set(source, codes, changes);
        auto& model = held[{source.device, source.channel}];
        std::set<std::uint32_t> touched = model;
        model.clear();
        for (const std::uint32_t code : codes)
            if (code)
                touched.insert(*model.insert(code).first);
        apply(changes, touched);
    }

    void key(Source source, std::uint32_t code, bool pressed)
    {
        std::vector<KeyChange> changes;
        tracker.key(source, code, pressed, changes);
        check(changes.size() <= 1);
        auto& model = held[{source.device, source.channel}];
        if (code && pressed)
            model.insert(code);
        else
            model.erase(code);
        apply(changes, {code});
    }

    void release_all()
    {
        std::vector<KeyChange> changes;
        tracker.release_all(changes);
        held.clear();
        apply(changes, {});
        check(acted.empty() && tracker.holdings() == 0);
        ever_full = false;
    }
};

std::vector<std::uint32_t> report_codes(Input& in)
{
    static constexpr std::uint16_t kPages[] = {kConsumerPage, kGenericDesktopPage, kTelephonyPage, 0x07};
    std::vector<std::uint32_t> codes;
    for (std::uint32_t n = in.byte() % 64; n > 0; --n) {
        const std::uint16_t page = kPages[in.byte() % 4];
        codes.push_back(code_of_usage(page, static_cast<std::uint16_t>(page == kConsumerPage ? in.word() : in.byte())));
    }
    return codes;
}

void dial(Input& in, std::optional<std::int32_t>& previous)
{
    const std::uint32_t low = in.word();
    const std::uint32_t raw = low | in.word() << 16;
    const std::uint32_t bits = in.byte() % 40;
    const bool is_signed = in.byte() & 1;
    const bool relative = in.byte() & 1;
    const std::int64_t value = dial_value(raw, static_cast<std::uint16_t>(bits), is_signed);
    const std::int64_t span = std::int64_t{1} << (bits == 0 || bits > 32 ? 32 : bits);
    check(is_signed ? value >= -span / 2 && value < span / 2 : value >= 0 && value < span);
    const bool first = !previous;
    const int steps = dial_steps({relative, static_cast<std::int32_t>(value)}, previous);
    check(steps >= -kMaxDialSteps && steps <= kMaxDialSteps);
    check(relative ? (steps > 0) == (value > 0) && (steps < 0) == (value < 0) : !first || steps == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Input in{data, size};
    Harness h;
    std::optional<std::int32_t> dial_previous;
    while (in.size) {
        switch (in.byte() % 6) {
        case 0: {
            const Source source = in.device();
            h.set(source, report_codes(in));
            break;
        }
        case 1: {
            const std::uint32_t code = code_of_virtual_key(in.byte());
            h.key(kHookSource, code, in.byte() & 1);
            break;
        }
        case 2: {
            const std::uint32_t code = in.word();
            h.key(kReplaySource, code, in.byte() & 1);
            break;
        }
        case 3: h.release_all(); break;
        case 4: dial(in, dial_previous); break;
        default: h.set(in.device(), {}); break; // an all-zero report
        }
    }
    h.release_all();
    return 0;
}
