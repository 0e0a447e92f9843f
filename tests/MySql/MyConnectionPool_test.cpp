// The MySQL pool key: which settings separate pools, its numbered properties and its text.
#include "MySql/MyConnectionPool.h"

#include <gtest/gtest.h>

#include <functional>

#include "Common/LxVio.h"
#include "platform/rtl/StringList.h"

namespace {

TMyConnectionParameters& Base(TMyConnectionParameters& p) {
  p.Username = u"clerk";
  p.Server = u"db.local";
  p.Password = u"pw";
  p.Database = u"association";
  p.Port = 3306;
  p.Charset = u"utf8";
  p.UseUnicode = true;
  return p;
}

TEST(MyConnectionParameters, OnlySettingsThatReachTheServerSeparatePools) {
  struct Case {
    const char* name;
    std::function<void(TMyConnectionParameters&)> change;
    bool samePool;
  };
  const auto tls = [](TMyConnectionParameters& p) { p.CACert = u"/etc/other-ca.pem"; };
  const auto tunnel = [](TMyConnectionParameters& p) {
    p.HttpOptions()->SetUrl(u"http://gateway/tunnel.php");
  };
  const Case cases[] = {
      {"database letter case", [](auto& p) { p.Database = u"Association"; }, true},
      {"embedded-server parameters", [](auto& p) { p.EmbParams()->Add(u"--datadir=x"); }, true},
      {"TLS files without TLS", tls, true},
      {"tunnel settings over TCP", tunnel, true},
      {"other database", [](auto& p) { p.Database = u"archive"; }, false},
      {"other port", [](auto& p) { p.Port = 3307; }, false},
      {"other user", [](auto& p) { p.Username = u"treasurer"; }, false},
      {"charset letter case", [](auto& p) { p.Charset = u"UTF8"; }, false},
      {"unicode", [](auto& p) { p.UseUnicode = false; }, false},
      {"compression", [](auto& p) { p.Compress = true; }, false},
      {"connect time-out", [](auto& p) { p.ConnectionTimeout = 30; }, false},
      {"protocol", [](auto& p) { p.Protocol = mpSocket; }, false},
      {"client library", [](auto& p) { p.Direct = false; }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TMyConnectionParameters base, other;
    Base(base);
    other.Assign(&base);
    c.change(other);
    EXPECT_EQ(base.Equals(&other), c.samePool);
  }

  // Under the protocols that use them, TLS files and tunnel settings are part of the key.
  using TChange = std::function<void(TMyConnectionParameters&)>;
  for (auto [protocol, change] :
       {std::pair{mpSSL, TChange(tls)}, std::pair{mpHttp, TChange(tunnel)}}) {
    TMyConnectionParameters base, other;
    Base(base).Protocol = protocol;
    other.Assign(&base);
    EXPECT_TRUE(base.Equals(&other));
    change(other);
    EXPECT_FALSE(base.Equals(&other)) << "protocol " << int(protocol);
  }
}

TEST(MyConnectionParameters, NumberedPropertiesFillTheKeyAndAnUnknownOneIsAnInternalError) {
  TMyConnectionParameters set, expected;
  Base(expected).Protocol = mpSSL;
  expected.Compress = true;
  expected.ConnectionTimeout = 20;
  expected.Direct = false;
  expected.Embedded = true;
  expected.ChipherList = u"AES256-SHA";
  expected.CACert = u"ca.pem";
  expected.Key = u"key.pem";
  expected.Cert = u"cert.pem";
  set.Username = expected.Username;
  set.Server = expected.Server;
  set.Password = expected.Password;
  set.SetProp(pcDatabase, u"association");
  set.SetProp(pcPort, 3306);
  set.SetProp(pcConnectionTimeout, 20);
  set.SetProp(pcCompress, true);
  set.SetProp(pcUseUnicode, true);
  set.SetProp(pcCharset, u"utf8");
  set.SetProp(pcProtocol, static_cast<int32_t>(mpSSL));
  set.SetProp(pcEmbedded, true);
  set.SetProp(pcDirect, false);
  set.SetProp(pcSSLCipherList, u"AES256-SHA");
  set.SetProp(pcSSLCACert, u"ca.pem");
  set.SetProp(pcSSLKey, u"key.pem");
  set.SetProp(pcSSLCert, u"cert.pem");
  set.SetProp(pcEmbParams, u"  --a\r\n--b  ");
  EXPECT_TRUE(set.Equals(&expected));
  EXPECT_EQ(set.EmbParams()->Count(), 2);

  TMyConnectionParameters copy;
  copy.Assign(&set);
  EXPECT_TRUE(copy.Equals(&set));
  EXPECT_EQ(copy.EmbParams()->Text(), set.EmbParams()->Text());

  EXPECT_THROW(set.SetProp(pcAutoCommit, true), EAssertionFailed);
}

TEST(MyConnectionParameters, TheDescriptionAddsPortAndDatabase) {
  TMyConnectionParameters p;
  Base(p).MaxPoolSize = 2;
  EXPECT_EQ(p.AsString(),
            u"Username=clerk\rServer=db.local\rPort=3306\rDatabase=association\r"
            u"MinPoolSize=0\rMaxPoolSize=2\rConnectionLifeTime=0\rValidate=False\r");
}

}  // namespace
