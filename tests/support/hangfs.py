# A FUSE file system that never answers: every look-up waits for ever, as
# on a mount whose network server has stopped. Usage: hangfs.py MOUNTPOINT -f
import errno
import time

import fuse

fuse.fuse_python_api = (0, 2)


class Hang(fuse.Fuse):
    def getattr(self, path):
        time.sleep(3600)
        return -errno.EIO


server = Hang()
server.parse(errex=1)
server.main()
