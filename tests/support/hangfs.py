# A FUSE file system that answers late, or never: every look-up waits
# HANGFS_DELAY seconds (for ever without it), as on a mount whose network
# server is slow or has stopped. Its root holds one empty folder, "sub".
# Usage: [HANGFS_DELAY=SECONDS] hangfs.py MOUNTPOINT -f [-o attr_timeout=0]
import errno
import os
import stat
import time

import fuse

fuse.fuse_python_api = (0, 2)
DELAY = float(os.environ.get("HANGFS_DELAY", "3600"))


class Hang(fuse.Fuse):
    def getattr(self, path):
        time.sleep(DELAY)
        if path not in ("/", "/sub"):
            return -errno.ENOENT
        answer = fuse.Stat()
        answer.st_mode = stat.S_IFDIR | 0o755
        answer.st_nlink = 2
        return answer

    def readdir(self, path, offset):
        for name in (".", "..") + (("sub",) if path == "/" else ()):
            yield fuse.Direntry(name)

    def statfs(self):
        answer = fuse.StatVfs()
        answer.f_bsize = 4096
        answer.f_namemax = 255
        return answer


server = Hang()
server.parse(errex=1)
server.main()
