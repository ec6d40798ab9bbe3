// grantall against setfacl: builds two identical trees, opens one with
// grantall and the other with "setfacl -R -m o::rwX -m d:o::rwX", and prints
// the wall-clock times and their ratio, for a first run (everything to change)
// and a second run (nothing left to change).
//   bench_grantall [WORK_FOLDER [FILES]]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kFilesPerFolder = 1000;
constexpr int kSubfolders = 10;

void Die(const std::string& what) {
    std::fprintf(stderr, "bench_grantall: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(1);
}

// Top folders of kSubfolders folders of kFilesPerFolder files; every tenth
// file is a program, the rest data.
int BuildTree(const std::string& root, int files) {
    if (mkdir(root.c_str(), 0755) != 0) Die("mkdir " + root);
    int folders = 1;
    int made = 0;
    for (int top = 0; made < files; ++top) {
        const std::string topPath = root + "/top" + std::to_string(top);
        if (mkdir(topPath.c_str(), 0755) != 0) Die("mkdir " + topPath);
        ++folders;
        for (int sub = 0; sub < kSubfolders && made < files; ++sub) {
            const std::string subPath = topPath + "/sub" + std::to_string(sub);
            if (mkdir(subPath.c_str(), 0750) != 0) Die("mkdir " + subPath);
            ++folders;
            const int dir = open(subPath.c_str(), O_RDONLY | O_DIRECTORY);
            if (dir < 0) Die("open " + subPath);
            for (int f = 0; f < kFilesPerFolder && made < files; ++f, ++made) {
                const std::string name = "file" + std::to_string(f) + ".dat";
                const int fd = openat(dir, name.c_str(), O_CREAT | O_WRONLY | O_EXCL,
                                      f % 10 == 0 ? 0750 : 0640);
                if (fd < 0) Die("create " + subPath + "/" + name);
                close(fd);
            }
            close(dir);
        }
    }
    return folders;
}

double Run(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const std::string& a : command) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    sync(); // both tools start with nothing pending on the disk
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        Die("start " + command[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::fprintf(stderr, "bench_grantall: %s ended with status %d\n", command[0].c_str(), status);
    return seconds;
}

} // namespace

int main(int argc, char** argv) {
    std::string work = argc > 1 ? argv[1] : std::filesystem::temp_directory_path().string();
    const int files = argc > 2 ? std::atoi(argv[2]) : 100000;
    work += "/bench_grantall-XXXXXX";
    if (!mkdtemp(work.data())) Die("mkdtemp");
    const std::string treeA = work + "/grantall";
    const std::string treeB = work + "/setfacl";

    std::printf("building two trees of %d files in %s ...\n", files, work.c_str());
    const int folders = BuildTree(treeA, files);
    BuildTree(treeB, files);
    std::printf("each tree: %d files in %d folders\n", files, folders);

    const std::vector<std::string> grantall = {GRANTALL_PROGRAM, treeA};
    const std::vector<std::string> setfacl = {"setfacl", "-R", "-m", "o::rwX", "-m", "d:o::rwX", treeB};
    for (const char* pass : {"first run", "second run"}) {
        const double g = Run(grantall);
        const double s = Run(setfacl);
        std::printf("%-10s  grantall %7.3f s   setfacl %7.3f s   grantall/setfacl %.2f\n", pass, g,
                    s, g / s);
    }

    std::error_code ec;
    std::filesystem::remove_all(work, ec);
    return 0;
}
