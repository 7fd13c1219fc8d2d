// End-to-end harness. See Harness.h.
#include "Harness.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

void sleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace

Scratch::Scratch()
{
    char pattern[] = "/tmp/zephyrion-e2e-XXXXXX";
    path = mkdtemp(pattern);
    for (const auto &entry : fs::directory_iterator(RUNTIME_DIR))
        if (entry.is_directory())
            fs::copy(entry.path(), path + "/" + entry.path().filename().string(),
                     fs::copy_options::recursive);
}

Scratch::~Scratch()
{
    if (getenv("KEEP_SCRATCH"))
        fprintf(stderr, "scratch kept: %s\n", path.c_str());
    else {
        chmod(path.c_str(), 0700);  // a read-only run leaves it so
        fs::remove_all(path);
    }
}

std::string Scratch::read(const std::string &name) const
{
    std::ifstream in(file(name));
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void Scratch::write(const std::string &name, const std::string &text) const
{
    std::ofstream(file(name)) << text;
}

bool Scratch::exists(const std::string &name) const
{
    return fs::exists(file(name));
}

GameRun startGame(const Scratch &dir, StartMode mode)
{
    const uid_t nobody = 65534;
    if (mode == WithGamepad)
        mkfifo(dir.file("pad.fifo").c_str(), 0600);
    GameRun game;
    game.pid = fork();
    if (game.pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (chdir(dir.path.c_str()) != 0)
            _exit(126);
        int out = open("game-output.txt", O_WRONLY | O_CREAT | O_TRUNC, 0666);
        dup2(out, 1);
        dup2(out, 2);
        if (mode == NoDisplay)
            unsetenv("DISPLAY");
        // SDL's silent device stands in for a sound card, unless the test
        // hears the game or names a driver of its own.
        if (mode != WithSound)
            setenv("SDL_AUDIODRIVER", "dummy", 0);
        if (mode == WithSound) {
            // SDL's disk device, which takes the sound in real time: all that
            // the game mixes lands in heard.raw, and no other test has it.
            setenv("SDL_AUDIODRIVER", "disk", 1);
            setenv("SDL_DISKAUDIOFILE", (dir.path + "/heard.raw").c_str(), 1);
        }
        if (mode == WithGamepad) {
            setenv("LD_PRELOAD", VIRTUAL_PAD, 1);
            setenv("ZEPHYRION_TEST_PAD", dir.file("pad.fifo").c_str(), 1);
        }
        if (mode == ReadOnlyFolder || mode == NotTheOwner) {
            // Root may write anywhere, so the game then runs as nobody.
            if (chmod(".", mode == ReadOnlyFolder ? 0555 : 0777) != 0 ||
                (getuid() == 0 && (setgid(nobody) != 0 || setuid(nobody) != 0)))
                _exit(125);
        }
        execl(GAME_BINARY, GAME_BINARY, (char *)nullptr);
        _exit(127);
    }
    return game;
}

GameRun startProgram(const std::string &workDir, const std::string &program,
                     const std::vector<std::string> &environment)
{
    GameRun game;
    game.pid = fork();
    if (game.pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (chdir(workDir.c_str()) != 0)
            _exit(126);
        int out = open("program-output.txt", O_WRONLY | O_CREAT | O_APPEND, 0644);
        dup2(out, 1);
        dup2(out, 2);
        for (const std::string &setting : environment)
            putenv(strdup(setting.c_str()));
        execl(program.c_str(), program.c_str(), (char *)nullptr);
        _exit(127);
    }
    return game;
}

// A game that has ended leaves the FIFO without a reader: a write then fails
// instead of killing the test.
TestPad::TestPad(const Scratch &dir)
{
    signal(SIGPIPE, SIG_IGN);
    fifo = open(dir.file("pad.fifo").c_str(), O_WRONLY);
}

TestPad::~TestPad()
{
    if (fifo >= 0)
        close(fifo);
}

void TestPad::send(const std::string &command)
{
    std::string line = command + "\n";
    if (fifo < 0 || write(fifo, line.data(), line.size()) != (ssize_t)line.size())
        fprintf(stderr, "TestPad: could not send \"%s\"\n", command.c_str());
}

void TestPad::plug()
{
    send("plug");
}

void TestPad::unplug()
{
    send("unplug");
}

void TestPad::hold(int button)
{
    send("button " + std::to_string(button) + " 1");
}

void TestPad::release(int button)
{
    send("button " + std::to_string(button) + " 0");
}

void TestPad::press(int button)
{
    hold(button);
    sleepMs(150);
    release(button);
    sleepMs(250);
}

void TestPad::axis(int which, int value)
{
    send("axis " + std::to_string(which) + " " + std::to_string(value));
}

bool waitForExit(GameRun &game, int timeoutMs)
{
    for (int waited = 0; waited <= timeoutMs; waited += 20) {
        int status;
        if (waitpid(game.pid, &status, WNOHANG) == game.pid) {
            game.exitStatus = status;
            game.pid = -1;
            return true;
        }
        sleepMs(20);
    }
    return false;
}

void killGame(GameRun &game)
{
    if (game.pid > 0) {
        kill(game.pid, SIGKILL);
        waitpid(game.pid, &game.exitStatus, 0);
        game.pid = -1;
    }
}

std::string waitForWindow(int timeoutMs)
{
    for (int waited = 0; waited <= timeoutMs; waited += 100) {
        std::string id = run("xdotool search --name '^Zephyrion$' 2>/dev/null | head -n 1");
        if (!id.empty()) {
            id.erase(id.find_last_not_of("\n") + 1);
            return id;
        }
        sleepMs(100);
    }
    return "";
}

std::string windowSize()
{
    std::string id =
        run("xdotool search --onlyvisible --name '^Zephyrion$' 2>/dev/null | head -n 1");
    if (id.empty())
        return "";
    std::string info = run("xwininfo -id " + id + " 2>/dev/null");
    auto field = [&](const std::string &name) {
        size_t at = info.find(name);
        if (at == std::string::npos)
            return std::string("?");
        return std::to_string(atoi(info.c_str() + at + name.size()));
    };
    return field("Width: ") + "x" + field("Height: ");
}

std::string rootSize()
{
    std::string info = run("xdpyinfo 2>/dev/null | grep dimensions");
    size_t at = info.find("dimensions:");
    if (at == std::string::npos)
        return "";
    std::istringstream fields(info.substr(at + 11));
    std::string size;
    fields >> size;
    return size;
}

void pressKey(const std::string &window, const std::string &key)
{
    run("xdotool windowfocus --sync " + window + " 2>/dev/null; xdotool keydown " + key +
        "; sleep 0.1; xdotool keyup " + key);
}

void keyDown(const std::string &key)
{
    run("xdotool keydown " + key);
}

void keyUp(const std::string &key)
{
    run("xdotool keyup " + key);
}

void holdKey(const std::string &window, const std::string &key, int ms)
{
    run("xdotool windowfocus --sync " + window + " 2>/dev/null; xdotool keydown " + key);
    sleepMs(ms);
    run("xdotool keyup " + key);
}

long soundMark(const Scratch &dir)
{
    struct stat st;
    return stat(dir.file("heard.raw").c_str(), &st) == 0 ? (long)st.st_size : 0;
}

double Heard::share(const std::string &sample) const
{
    for (const auto &heard : shares)
        if (heard.first == sample)
            return heard.second;
    return 0;
}

std::ostream &operator<<(std::ostream &out, const Heard &heard)
{
    out << "level " << heard.level;
    for (size_t i = 0; i < heard.shares.size() && i < 3; i++)
        out << ", " << heard.shares[i].first << " " << heard.shares[i].second;
    return out;
}

Heard hear(const Scratch &dir, long mark, const std::string &frequencies)
{
    const long stretch = 32768 * 4;  // the frames hear.py looks at, 4 bytes each
    for (int waited = 0; waited < 5000 && soundMark(dir) < mark + stretch; waited += 50)
        sleepMs(50);
    std::istringstream out(run("/usr/bin/python3 " HEAR_SCRIPT " '" + dir.file("heard.raw") +
                               "' " + std::to_string(mark) + " '" + dir.file("sounds") + "' " +
                               frequencies));
    Heard heard;
    std::string name;
    double value;
    while (out >> name >> value) {
        if (name == "level")
            heard.level = (int)value;
        else
            heard.shares.push_back({name, value});
    }
    return heard;
}

int timesHeard(const Scratch &dir, const std::string &sample, long from, long to)
{
    return atoi(run("/usr/bin/python3 " HEAR_SCRIPT " --count " + sample + " '" +
                    dir.file("heard.raw") + "' " + std::to_string(from) + " " +
                    std::to_string(to) + " '" + dir.file("sounds") + "'")
                    .c_str());
}

long Image::at(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return -1;
    const unsigned char *p = &rgb[3 * ((size_t)y * width + x)];
    return (long)p[0] << 16 | p[1] << 8 | p[2];
}

int Image::count(long colour, int x0, int y0, int x1, int y1) const
{
    int n = 0;
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++)
            n += at(x, y) == colour;
    return n;
}

static Image parsePpm(const std::string &ppm)
{
    Image image;
    std::istringstream in(ppm);
    std::string magic;
    int maxValue;
    in >> magic;
    while (in >> std::ws && in.peek() == '#')  // comment lines
        in.ignore(1 << 20, '\n');
    if (!(in >> image.width >> image.height >> maxValue) || magic != "P6")
        return Image();
    in.get();
    image.rgb.resize((size_t)3 * image.width * image.height);
    in.read((char *)image.rgb.data(), image.rgb.size());
    return image;
}

Image grabScreen(const std::string &savePng)
{
    std::string ppm = run("xwd -root -silent | /usr/bin/convert xwd:- -depth 8 ppm:-");
    if (!savePng.empty())
        run("xwd -root -silent | /usr/bin/convert xwd:- -alpha off '" + savePng + "'");
    return parsePpm(ppm);
}

Image insideOfWindow(const Image &shot, int w, int h)
{
    std::string where = run("xdotool search --onlyvisible --name '^Zephyrion$' 2>/dev/null | "
                            "head -n 1 | xargs -r xwininfo -id | grep Absolute");
    size_t x = where.find("X:"), y = where.find("Y:");
    int left = x == std::string::npos ? 0 : atoi(where.c_str() + x + 2);
    int top = y == std::string::npos ? 0 : atoi(where.c_str() + y + 2);
    Image part;
    part.width = w, part.height = h;
    part.rgb.resize(3 * w * h);
    for (int row = 0; row < h && top + row < shot.height; row++)
        for (int column = 0; column < w && left + column < shot.width; column++)
            for (int c = 0; c < 3; c++)
                part.rgb[3 * (row * w + column) + c] =
                    shot.rgb[3 * ((top + row) * shot.width + left + column) + c];
    return part;
}

Image gamePicture(const Image &shot, int w, int h)
{
    if (shot.width == w && shot.height == h)
        return shot;
    // The largest rect of the picture's shape, centred; its pixel d shows the
    // picture's d * w / shown, so the first d of each picture pixel is
    // (x * shown + w - 1) / w.
    int shownW = shot.width, shownH = shot.width * h / w;
    if (shownH > shot.height)
        shownH = shot.height, shownW = shot.height * w / h;
    int left = (shot.width - shownW) / 2, top = (shot.height - shownH) / 2;
    Image picture;
    picture.width = w, picture.height = h;
    picture.rgb.resize(3 * w * h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            int sx = left + ((long)x * shownW + w - 1) / w;
            int sy = top + ((long)y * shownH + h - 1) / h;
            for (int c = 0; c < 3; c++)
                picture.rgb[3 * (y * w + x) + c] = shot.rgb[3 * (sy * shot.width + sx) + c];
        }
    return picture;
}

Image loadImage(const std::string &path)
{
    return parsePpm(run("/usr/bin/convert '" + path + "' -alpha off -depth 8 ppm:-"));
}

int differingPixels(const Image &shot, int x0, int y0, const Image &picture, int skipTop,
                    int skipBottom, int tolerance)
{
    int differ = 0;
    for (int y = 0; y < picture.height; y++)
        if (y < skipTop || y >= skipBottom)
            for (int x = 0; x < picture.width; x++) {
                long a = shot.at(x0 + x, y0 + y), b = picture.at(x, y);
                bool off = a != b;
                if (off && tolerance && a >= 0)
                    off = std::abs((int)(a >> 16) - (int)(b >> 16)) > tolerance ||
                          std::abs((int)(a >> 8 & 0xFF) - (int)(b >> 8 & 0xFF)) > tolerance ||
                          std::abs((int)(a & 0xFF) - (int)(b & 0xFF)) > tolerance;
                differ += off;
            }
    return differ;
}

double spriteMatch(const Image &shot, int left, int top, const Image &sprite)
{
    const long mask = 0xFF00FF;
    int shown = 0, matching = 0;
    for (int y = 0; y < sprite.height; y++)
        for (int x = 0; x < sprite.width; x++) {
            long p = sprite.at(x, y);
            if (p == mask)
                continue;
            shown++;
            matching += shot.at(left + x, top + y) == p;
        }
    return shown ? (double)matching / shown : 0;
}

int scoreDifference(const Image &a, const Image &b)
{
    const long white = 0xFFFFFF;
    int differ = 0;
    for (int y = 8; y < 26; y++)
        for (int x = 5; x < 140; x++)
            differ += (a.at(x, y) == white) != (b.at(x, y) == white);
    return differ;
}

// ---- The title ----

static const long titleWhite = 0xFFFFFF;  // the item selected
static const long titleGrey = 0x8C8C8C;   // the others

TitleLook lookAtTitle(const Image &screen, int w, int h, bool windowed)
{
    TitleLook look;
    Image shot = windowed ? screen : gamePicture(screen, w, h);
    look.startGame = shot.count(titleWhite, 0, 240, w, 300);
    look.otherItems = shot.count(titleGrey, 0, 300, w, 420);
    look.whiteBelow = shot.count(titleWhite, 0, 300, w, 420);
    for (int y = 15; y < 165; y++)  // the logo's light blue letters
        for (int x = 0; x < w; x++) {
            long p = shot.at(x, y);
            look.logo += (p & 0xFF) > 200 && ((p >> 8) & 0xFF) > 150 && (p >> 16) < 230;
        }
    return look;
}

bool titleShown(const Image &shot, int w, int h, bool windowed)
{
    TitleLook look = lookAtTitle(shot, w, h, windowed);
    return look.startGame > 1500 && look.otherItems > 3000 && look.whiteBelow == 0 &&
           look.logo > 2000;
}

Image waitForTitle(const Scratch &dir, int w, int h, int timeoutMs, bool windowed)
{
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    Image shot;
    do {
        shot = grabScreen();
        if (titleShown(shot, w, h, windowed))
            break;
        sleepMs(250);
    } while (std::chrono::steady_clock::now() < until);
    sleepMs(300);  // the menu waits for keys once the logo has landed
    return grabScreen(dir.file("title.png"));
}
