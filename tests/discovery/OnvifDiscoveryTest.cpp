#include "FakeResponder.h"

#include "discovery/OnvifDiscovery.h"

#include <QCoreApplication>
#include <QUdpSocket>

#include <gtest/gtest.h>

using DeviceList = std::vector<OnvifDiscovery::Device>;

void PrintTo(const QString &text, std::ostream *os)
{
	*os << '"' << text.toStdString() << '"';
}

struct OnvifDiscoveryTestAccess {
	static void parse(OnvifDiscovery &discovery, const std::string &reply)
	{
		discovery.parseReply(QString::fromLatin1(reply.c_str()));
	}
};

namespace {

const quint16 probePort = 37020;

// The Probe as cameras expect it, kept apart from the code that sends it.
const std::string expectedProbe =
	"<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\" "
	"xmlns:a=\"http://schemas.xmlsoap.org/ws/2004/08/addressing\">  <s:Header>    <a:Action "
	"s:mustUnderstand=\"1\">http://schemas.xmlsoap.org/ws/2005/04/discovery/Probe</a:Action>    "
	"<a:MessageID>uuid:344d2db4-4e08-421f-a32a-b5f6286d4141</a:MessageID>    <a:ReplyTo>      "
	"<a:Address>http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous</a:Address>    </a:ReplyTo>    "
	"<a:To s:mustUnderstand=\"1\">urn:schemas-xmlsoap-org:ws:2005:04:discovery</a:To>  </s:Header>  <s:Body>    "
	"<Probe xmlns=\"http://schemas.xmlsoap.org/ws/2005/04/discovery\">      <d:Types "
	"xmlns:d=\"http://schemas.xmlsoap.org/ws/2005/04/discovery\" "
	"xmlns:dp0=\"http://www.onvif.org/ver10/network/wsdl\">dp0:NetworkVideoTransmitter</d:Types>    </Probe>  "
	"</s:Body></s:Envelope>";

std::string firstFormat(const std::string &scopes, const std::string &xaddrs)
{
	return "<?xml version=\"1.0\"?><SOAP-ENV:Envelope><SOAP-ENV:Body><wsdd:ProbeMatches><wsdd:ProbeMatch>"
	       "<wsdd:Types>tdn:NetworkVideoTransmitter</wsdd:Types><wsdd:Scopes>" +
	       scopes + "</wsdd:Scopes><wsdd:XAddrs>" + xaddrs +
	       "</wsdd:XAddrs></wsdd:ProbeMatch></wsdd:ProbeMatches></SOAP-ENV:Body></SOAP-ENV:Envelope>";
}

std::string secondFormat(const std::string &scopes, const std::string &xaddrs)
{
	return "<?xml version=\"1.0\"?><s:Envelope><s:Body><d:ProbeMatches><d:ProbeMatch><d:Scopes>" + scopes +
	       "</d:Scopes><d:XAddrs>" + xaddrs + "</d:XAddrs></d:ProbeMatch></d:ProbeMatches></s:Body></s:Envelope>";
}

const std::string nameScope = "onvif://www.onvif.org/name/";

DeviceList listOf(std::initializer_list<std::pair<const char *, const char *>> pairs)
{
	DeviceList list;
	for (const auto &pair : pairs)
		list.push_back({{QString(pair.first), QString(pair.second)}});
	return list;
}

struct ReplyCase {
	const char *label;
	std::string reply;
	DeviceList expected;
};

void PrintTo(const ReplyCase &c, std::ostream *os)
{
	*os << c.label;
}

class ParseReply : public testing::TestWithParam<ReplyCase> {};

TEST_P(ParseReply, CutsAddressAndName)
{
	OnvifDiscovery discovery;
	OnvifDiscoveryTestAccess::parse(discovery, GetParam().reply);
	EXPECT_EQ(discovery.devices(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
	Replies, ParseReply,
	testing::Values(
		ReplyCase{"first format with port",
			  firstFormat(nameScope + "CAM_A " + "onvif://www.onvif.org/hardware/H57",
				      "http://192.168.1.20:8080/onvif/device_service"),
			  listOf({{"192.168.1.20", "CAM_A"}})},
		ReplyCase{"first format without port keeps the whole 20-character piece",
			  firstFormat(nameScope + "CAM_A", "http://192.168.1.20/onvif/device_service"),
			  listOf({{"192.168.1.20/onvif/d", "CAM_A"}})},
		ReplyCase{"first format name cut at <", firstFormat(nameScope + "Stage", "http://10.0.0.14:80/x"),
			  listOf({{"10.0.0.14", "Stage"}})},
		ReplyCase{"first format name at most 20 characters",
			  firstFormat(nameScope + "ABCDEFGHIJKLMNOPQRSTUVWXYZ", "http://10.0.0.15:80/x"),
			  listOf({{"10.0.0.15", "ABCDEFGHIJKLMNOPQRST"}})},
		ReplyCase{"first format without name scope gets an empty name",
			  firstFormat("onvif://www.onvif.org/type/video", "http://10.0.0.16:80/x"),
			  listOf({{"10.0.0.16", ""}})},
		ReplyCase{"second format without port",
			  secondFormat(nameScope + "CAMB01 onvif://www.onvif.org/location/",
				       "http://192.168.1.21/onvif/device_service"),
			  listOf({{"192.168.1.21", "CAMB01"}})},
		ReplyCase{"second format with port keeps the port",
			  secondFormat(nameScope + "CAMB01", "http://192.168.1.21:80/onvif"),
			  listOf({{"192.168.1.21:80", "CAMB01"}})},
		ReplyCase{"second format name longer than six",
			  secondFormat(nameScope + "LONGNAME9", "http://10.0.0.17/x"),
			  listOf({{"10.0.0.17", "LONGNA"}})},
		ReplyCase{"second format name shorter than six runs on",
			  secondFormat(nameScope + "AB", "http://10.0.0.18/x"), listOf({{"10.0.0.18", "AB</d:"}})},
		ReplyCase{"second format without name scope gets an empty name",
			  secondFormat("onvif://www.onvif.org/type/ptz", "http://10.0.0.19/x"),
			  listOf({{"10.0.0.19", ""}})},
		ReplyCase{"no address marker is dropped", "<d:Scopes>" + nameScope + "NOADDR</d:Scopes>", DeviceList{}},
		ReplyCase{"first marker at position 0 is not the first format",
			  "</wsdd:Scopes><wsdd:XAddrs>http://10.0.0.20:80/x</wsdd:XAddrs>", DeviceList{}},
		ReplyCase{"empty address is dropped", secondFormat(nameScope + "CAMB01", "http:///onvif"),
			  DeviceList{}}));

// The sends and the replies go through real sockets on loopback addresses.
class ProbeOnLoopback : public testing::Test {
protected:
	static DeviceList search(const char *address)
	{
		OnvifDiscovery discovery(nullptr, QHostAddress(QString(address)), probePort);
		discovery.probe();
		return discovery.devices();
	}
};

TEST_F(ProbeOnLoopback, SendsFortyExactProbes)
{
	ASSERT_EQ(expectedProbe.size(), 797u);
	QUdpSocket listener;
	ASSERT_TRUE(listener.bind(QHostAddress("127.0.5.1"), probePort));
	EXPECT_TRUE(search("127.0.5.1").empty());
	int count = 0;
	while (listener.hasPendingDatagrams()) {
		QByteArray datagram(int(listener.pendingDatagramSize()), '\0');
		listener.readDatagram(datagram.data(), datagram.size());
		EXPECT_EQ(datagram.toStdString(), expectedProbe);
		++count;
	}
	EXPECT_EQ(count, 40);
}

TEST_F(ProbeOnLoopback, CameraAnsweringEveryProbeIsListedOnce)
{
	FakeResponder camera("127.0.5.2", probePort, {{0, firstFormat(nameScope + "CAM_A", "http://10.0.0.2:80/x")}});
	ASSERT_TRUE(camera.bound());
	EXPECT_EQ(search("127.0.5.2"), listOf({{"10.0.0.2", "CAM_A"}}));
}

TEST_F(ProbeOnLoopback, TwoCamerasInTheOrderFirstRead)
{
	FakeResponder cameras("127.0.5.3", probePort,
			      {{2, firstFormat(nameScope + "ALPHA", "http://10.0.0.3:80/x")},
			       {0, secondFormat(nameScope + "ZULU01", "http://10.0.0.4/x")}});
	ASSERT_TRUE(cameras.bound());
	EXPECT_EQ(search("127.0.5.3"), listOf({{"10.0.0.4", "ZULU01"}, {"10.0.0.3", "ALPHA"}}));
}

TEST_F(ProbeOnLoopback, ShortReplyAfterLongOneKeepsItsOwnText)
{
	const std::string padding(1200, ' ');
	FakeResponder cameras("127.0.5.4", probePort,
			      {{0, firstFormat(nameScope + "LONG" + padding, "http://10.0.0.5:80/x")},
			       {0, secondFormat("onvif://www.onvif.org/type/ptz", "http://10.0.0.6/x")}});
	ASSERT_TRUE(cameras.bound());
	EXPECT_EQ(search("127.0.5.4"), listOf({{"10.0.0.5", "LONG"}, {"10.0.0.6", ""}}));
}

} // namespace

int main(int argc, char **argv)
{
	QCoreApplication app(argc, argv);
	testing::InitGoogleTest(&argc, argv);
	return RUN_ALL_TESTS();
}
