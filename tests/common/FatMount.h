#pragma once
// A small FAT file system of the test's own, as on a memory stick: blind to letter case, no hard
// links, no permission bits. The image is made with mkfs.vfat and mounted through FUSE
// (fusefat), which needs no loop device and no vfat module in the kernel. It is unmounted when
// the object goes. A file's inode number is its first cluster, so two spellings of one name are
// one directory entry, as on a stick; an empty file has no cluster and is not listed, so give
// every file some bytes. A machine that cannot mount it leaves `mounted()` false and says why:
//
//     testenv::FatMount fat(tmp.path());
//     if (!fat.mounted())
//         GTEST_SKIP() << fat.whyNot();
#include <QString>

namespace testenv {

class FatMount {
public:
    // Makes `<folder>/fat.img` of `bytes` bytes and mounts it on `<folder>/fat`.
    explicit FatMount(const QString &folder, qint64 bytes = 4 << 20);
    ~FatMount();
    FatMount(const FatMount &) = delete;
    FatMount &operator=(const FatMount &) = delete;

    bool mounted() const { return mounted_; }
    // The mount point, without a trailing "/".
    QString path() const { return mountPoint_; }
    // Why the file system could not be mounted (empty when it is).
    QString whyNot() const { return whyNot_; }

private:
    bool mount(const QString &image, qint64 bytes);

    QString mountPoint_;
    QString whyNot_;
    bool mounted_ = false;
};

} // namespace testenv
