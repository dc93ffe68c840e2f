#pragma once

#include <sys/stat.h>

// Identity (inode) of the network namespace this process runs in; 0 when it cannot be read.
inline unsigned long networkNamespaceId()
{
	struct stat own {};
	return stat("/proc/self/ns/net", &own) == 0 ? static_cast<unsigned long>(own.st_ino) : 0;
}

// True in a network namespace other than hostId, the one this process started from: checked before any broadcast.
inline bool inPrivateNetworkNamespace(unsigned long hostId)
{
	const unsigned long own = networkNamespaceId();
	return hostId != 0 && own != 0 && own != hostId;
}
