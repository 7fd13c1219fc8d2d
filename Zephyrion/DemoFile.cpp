// Demo files. See DemoFile.h.
//
// Layout, every number little-endian:
//   "ZEPHDEMO", version (16 bits), the twelve header fields (32 bits each);
//   then events, each a kind byte and its fields:
//     1 commands:   count, turn, forward, mouse x, mouse y, buttons (16 bits each)
//     2 pause:      ticks (32)
//     3 checkpoint: tick (32), hash (32)
//     4 end:        score, cities, rating sum, lives (32 each, signed), ticks (32);
//   the end is the last thing in the file.
#include "Zephyrion/DemoFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Std/Files.h"

static const char magic[] = "ZEPHDEMO";
static const size_t magicLength = 8;
static const uint32_t longestRun = 65535;        // commands in one event
static const size_t largestFile = 64u << 20;     // bytes: years of play, far beyond any game
static const uint16_t knownButtons = (1 << 10) - 1;
static const int headerFields = 12;

void recordCommand(Demo &demo, const TickCommand &cmd)
{
    demo.ticks++;
    if (!demo.events.empty()) {
        DemoEvent &last = demo.events.back();
        if (last.kind == DemoCommands && last.count < longestRun && sameCommand(last.cmd, cmd)) {
            last.count++;
            return;
        }
    }
    DemoEvent e = {};
    e.kind = DemoCommands;
    e.count = 1;
    e.cmd = cmd;
    demo.events.push_back(e);
}

void recordPause(Demo &demo, uint32_t ticks)
{
    DemoEvent e = {};
    e.kind = DemoPause;
    e.count = ticks;
    demo.events.push_back(e);
}

void recordCheckpoint(Demo &demo, uint32_t tick, uint32_t hash)
{
    DemoEvent e = {};
    e.kind = DemoCheckpoint;
    e.tick = tick;
    e.hash = hash;
    demo.events.push_back(e);
}

// ---- Writing ----

static void put(std::vector<unsigned char> &out, uint32_t value, int bytes)
{
    for (int n = 0; n < bytes; n++)
        out.push_back((unsigned char)(value >> (8 * n)));
}

static int32_t DemoHeader::*const headerOrder[headerFields - 1] = {
    &DemoHeader::frameRate,  &DemoHeader::difficulty, &DemoHeader::classic,
    &DemoHeader::numLives,   &DemoHeader::oldSchool,  &DemoHeader::useMouse,
    &DemoHeader::mouseRatio, &DemoHeader::sensitivity, &DemoHeader::deadZone,
    &DemoHeader::useGamepad, &DemoHeader::lowSpeedPC,
};

std::vector<unsigned char> encodeDemo(const Demo &demo)
{
    std::vector<unsigned char> out(magic, magic + magicLength);
    put(out, demoVersion, 2);
    put(out, demo.header.seed, 4);
    for (int32_t DemoHeader::*field : headerOrder)
        put(out, (uint32_t)(demo.header.*field), 4);
    for (const DemoEvent &e : demo.events) {
        out.push_back(e.kind);
        if (e.kind == DemoCommands) {
            put(out, e.count, 2);
            put(out, (uint16_t)e.cmd.turn, 2);
            put(out, (uint16_t)e.cmd.forward, 2);
            put(out, (uint16_t)e.cmd.mouseX, 2);
            put(out, (uint16_t)e.cmd.mouseY, 2);
            put(out, e.cmd.buttons, 2);
        } else if (e.kind == DemoPause) {
            put(out, e.count, 4);
        } else {
            put(out, e.tick, 4);
            put(out, e.hash, 4);
        }
    }
    out.push_back(DemoEnd);
    const DemoResult &r = demo.result;
    for (int32_t v : {r.score, r.cities, r.ratingSum, r.lives})
        put(out, (uint32_t)v, 4);
    put(out, r.ticks, 4);
    return out;
}

bool saveDemo(const char *path, const Demo &demo)
{
    std::vector<unsigned char> bytes = encodeDemo(demo);
    return replaceFileAtomically(path, bytes.data(), bytes.size());
}

// ---- Reading ----

struct Reader {
    const unsigned char *at, *end;
    bool take(uint32_t &value, int bytes)
    {
        if (end - at < bytes)
            return false;
        value = 0;
        for (int n = 0; n < bytes; n++)
            value |= (uint32_t)at[n] << (8 * n);
        at += bytes;
        return true;
    }
};

static bool inRange(int32_t v, int32_t low, int32_t high)
{
    return low <= v && v <= high;
}

// Values the game could not have recorded: a file that holds them was made or
// damaged elsewhere, and playing it would only go wrong.
static bool plausible(const DemoHeader &h)
{
    return h.frameRate >= 1 && inRange(h.difficulty, 0, 1000) && inRange(h.classic, 0, 1) &&
           inRange(h.numLives, -1000, 99) && inRange(h.oldSchool, 0, 1) &&
           inRange(h.useMouse, 0, 1) && h.mouseRatio >= 1 && inRange(h.sensitivity, 1, 90) &&
           inRange(h.deadZone, 0, 90) && inRange(h.useGamepad, 0, 1) &&
           inRange(h.lowSpeedPC, 0, 1);
}

static bool fault(DemoCheck &check, int kind, uint32_t tick)
{
    check.fault = kind;
    check.tick = tick;
    return false;
}

static bool decodeEvents(Reader &r, Demo &demo, DemoCheck &check)
{
    for (;;) {
        uint32_t kind, a, b, c, d, e;
        if (!r.take(kind, 1))
            return fault(check, DemoEndsEarly, demo.ticks);
        DemoEvent ev = {};
        ev.kind = (uint8_t)kind;
        if (kind == DemoCommands) {
            if (!r.take(a, 2) || !r.take(b, 2) || !r.take(c, 2) || !r.take(d, 2) ||
                !r.take(e, 2))
                return fault(check, DemoEndsEarly, demo.ticks);
            uint32_t buttons;
            if (!r.take(buttons, 2))
                return fault(check, DemoEndsEarly, demo.ticks);
            ev.count = a;
            ev.cmd.turn = (int16_t)b, ev.cmd.forward = (int16_t)c;
            ev.cmd.mouseX = (int16_t)d, ev.cmd.mouseY = (int16_t)e;
            ev.cmd.buttons = (uint16_t)buttons;
            if (a == 0 || ev.cmd.turn < -commandFullTravel || ev.cmd.forward < -commandFullTravel ||
                (buttons & ~knownButtons) != 0)
                return fault(check, DemoCorrupt, demo.ticks);
            demo.ticks += a;
        } else if (kind == DemoPause) {
            if (!r.take(ev.count, 4))
                return fault(check, DemoEndsEarly, demo.ticks);
        } else if (kind == DemoCheckpoint) {
            if (!r.take(ev.tick, 4) || !r.take(ev.hash, 4))
                return fault(check, DemoEndsEarly, demo.ticks);
            if (ev.tick != demo.ticks)
                return fault(check, DemoCorrupt, demo.ticks);
        } else if (kind == DemoEnd) {
            DemoResult &res = demo.result;
            uint32_t v[5];
            for (uint32_t &x : v)
                if (!r.take(x, 4))
                    return fault(check, DemoEndsEarly, demo.ticks);
            res.score = (int32_t)v[0], res.cities = (int32_t)v[1], res.ratingSum = (int32_t)v[2];
            res.lives = (int32_t)v[3], res.ticks = v[4];
            if (res.ticks != demo.ticks || r.at != r.end || res.cities < 0)
                return fault(check, DemoCorrupt, demo.ticks);
            return true;
        } else {
            return fault(check, DemoCorrupt, demo.ticks);
        }
        demo.events.push_back(ev);
    }
}

bool decodeDemo(const unsigned char *bytes, size_t size, Demo &demo, DemoCheck &check)
{
    demo = Demo();
    check = DemoCheck();
    if (size < magicLength || memcmp(bytes, magic, magicLength) != 0)
        return fault(check, DemoForeign, 0);
    Reader r = {bytes + magicLength, bytes + size};
    uint32_t version;
    if (!r.take(version, 2))
        return fault(check, DemoEndsEarly, 0);
    if ((int)version > demoVersion) {
        check.version = (int)version;
        return fault(check, DemoNewer, 0);
    }
    if (version < 1)
        return fault(check, DemoCorrupt, 0);
    if (!r.take(demo.header.seed, 4))
        return fault(check, DemoEndsEarly, 0);
    for (int32_t DemoHeader::*field : headerOrder) {
        uint32_t v;
        if (!r.take(v, 4))
            return fault(check, DemoEndsEarly, 0);
        demo.header.*field = (int32_t)v;
    }
    if (!plausible(demo.header))
        return fault(check, DemoCorrupt, 0);
    if (!decodeEvents(r, demo, check)) {
        demo.events.clear();
        return false;
    }
    return true;
}

bool loadDemo(const char *path, Demo &demo, DemoCheck &check)
{
    check = DemoCheck();
    FILE *file = fopen(path, "rb");
    if (!file) {
        check.error = errno;
        return fault(check, DemoUnreadable, 0);
    }
    std::vector<unsigned char> bytes;
    unsigned char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0 && bytes.size() <= largestFile)
        bytes.insert(bytes.end(), buffer, buffer + n);
    bool failed = ferror(file) != 0;
    check.error = errno;
    fclose(file);
    if (failed)
        return fault(check, DemoUnreadable, 0);
    if (bytes.size() > largestFile)
        return fault(check, DemoCorrupt, 0);
    return decodeDemo(bytes.data(), bytes.size(), demo, check);
}

void describeDemoFault(const DemoCheck &check, const char *path, char *out, int size)
{
    switch (check.fault) {
    case DemoUnreadable:
        snprintf(out, (size_t)size, "Cannot read the demo %s: %s", path, strerror(check.error));
        break;
    case DemoForeign:
        snprintf(out, (size_t)size, "Not a Zephyrion demo: %s", path);
        break;
    case DemoNewer:
        snprintf(out, (size_t)size, "Demo %s is of version %d; this game plays version %d", path,
                 check.version, demoVersion);
        break;
    case DemoEndsEarly:
        snprintf(out, (size_t)size, "Demo %s ends early at tick %u", path, check.tick);
        break;
    case DemoCorrupt:
        snprintf(out, (size_t)size, "Demo %s is damaged at tick %u", path, check.tick);
        break;
    default:
        snprintf(out, (size_t)size, "Demo %s is sound", path);
    }
}
