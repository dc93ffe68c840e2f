#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

// A WS-Discovery device stand-in on a loopback address: answers probe number k (counting from 0) with every
// reply whose first probe is k or earlier, in list order, to the probe's sender. Stops with the object.
class FakeResponder {
public:
	struct Reply {
		int fromProbe;
		std::string text;
	};

	FakeResponder(const char *address, unsigned short port, std::vector<Reply> replies)
		: m_replies(std::move(replies))
	{
		m_fd = socket(AF_INET, SOCK_DGRAM, 0);
		sockaddr_in local{};
		local.sin_family = AF_INET;
		local.sin_port = htons(port);
		inet_pton(AF_INET, address, &local.sin_addr);
		m_bound = bind(m_fd, reinterpret_cast<sockaddr *>(&local), sizeof local) == 0;
		m_thread = std::thread([this] { serve(); });
	}
	~FakeResponder()
	{
		m_stop = true;
		m_thread.join();
		close(m_fd);
	}

	bool bound() const { return m_bound; }
	int probesSeen() const { return m_probes; }

private:
	void serve()
	{
		char buffer[4096];
		pollfd pfd{m_fd, POLLIN, 0};
		while (!m_stop) {
			if (poll(&pfd, 1, 20) <= 0)
				continue;
			sockaddr_in from{};
			socklen_t fromLength = sizeof from;
			if (recvfrom(m_fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr *>(&from), &fromLength) <
			    0)
				continue;
			const int probe = m_probes++;
			for (const Reply &reply : m_replies) {
				if (reply.fromProbe <= probe)
					sendto(m_fd, reply.text.data(), reply.text.size(), 0,
					       reinterpret_cast<sockaddr *>(&from), fromLength);
			}
		}
	}

	std::vector<Reply> m_replies;
	int m_fd = -1;
	bool m_bound = false;
	std::atomic<bool> m_stop{false};
	std::atomic<int> m_probes{0};
	std::thread m_thread;
};
