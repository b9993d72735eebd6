// The line protocol: NetCommand in-process, NetCommander against python peers on 127.0.0.1:
// a peer server that we connect to, and peer clients that our ServerSocket accepts.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "net/NetCommander.h"
#include "NetPeer.h"
#include "net/ServerSocket.h"
#include "net/ServerSocketListener.h"

namespace
{

std::string const tooLong = "error: Zeile zu lang (mehr als 1023 Zeichen), verworfen.";

// Logs each command as toString, each parse error and the close; echoes when asked.
class Recorder : public NetCommander
{
public:
    using NetCommander::NetCommander;
    using NetCommander::notifyReceive;
    ~Recorder() { disconnect(); }
    void sendCommand(NetCommand* command) { send(command); }
    EventLog log;
    bool echo = false;

protected:
    void notifyReceive(NetCommand* command) override
    {
        log.add(command->toString().getChars());
        if (!echo)
            return;
        NetCommand reply("reply");
        reply.put("id", command->getString("id"));
        reply.put("n", command->getInt("n"));
        send(&reply);
    }
    void notifyParseError(String text) override
    {
        log.add(std::string("error: ") + text.getChars());
    }
    void notifyClose(Socket*) override { log.add("close"); }
};

// Our ServerSocket on a free loopback port, each connection handed to an echoing Recorder.
class RecorderServer : public ServerSocketListener
{
public:
    explicit RecorderServer(bool withListener) : server(new ServerSocket(0, true))
    {
        if (withListener)
            server->setListener(this);
    }
    ~RecorderServer() { server.reset(); }
    void notifyConnection(ServerSocket*, Socket* connection) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        recorders.emplace_back(new Recorder(connection));
        recorders.back()->echo = true;
    }

    std::unique_ptr<ServerSocket> server;
    std::mutex mutex;
    std::vector<std::unique_ptr<Recorder>> recorders;
};

// Sizes and the first difference, not two vectors of thousands of lines.
void expectSameLog(std::vector<std::string> const& got, std::vector<std::string> const& expected)
{
    auto at = std::mismatch(got.begin(), got.end(), expected.begin(), expected.end());
    EXPECT_TRUE(at.first == got.end() && at.second == expected.end())
        << got.size() << " entries, " << expected.size() << " expected; first difference at "
        << at.first - got.begin() << ": \"" << (at.first == got.end() ? "<end>" : *at.first)
        << "\" instead of \"" << (at.second == expected.end() ? "<end>" : *at.second) << "\"";
}

// The peer delivers the data in the mode ("send", "split", "close"); what our side logged up
// to and with the close.
std::vector<std::string> receiveFromPeer(std::string const& mode, std::string const& data)
{
    PeerFile file("data");
    writeWholeFile(file.winPath, data);
    Recorder recorder;
    recorder.connect("127.0.0.1", startPeerServer(mode + " " + file.unixPath));
    EXPECT_TRUE(recorder.log.waitForLast("close"));
    return recorder.log.snapshot();
}

// Wire bytes and what the commander makes of them (nothing for ignored input).
struct WireCase
{
    std::string wire;
    std::vector<std::string> logged;
};

std::vector<WireCase> const lineCases = {
    {"abc  x=\"1\"   y=\"2\"\r\n", {"abc x=\"1\" y=\"2\""}},
    {"\r\n\n\r", {}},
    {"q v=\"say \\\"hi\\\"\" s=\"a b\"\r", {"q v=\"say \"hi\"\" s=\"a b\""}},
    {"one two\n", {"error: Unvollständiger Parameter 'two'."}},
    {"k=\"v\" late\n", {"late k=\"v\""}},
    {"t\x01"
     "a\x80"
     "b\xff"
     "c\tp=\"1\"\n",
     {"tabc p=\"1\""}},
    {"x=bare a\\b=\"c\\d\"\r\n", {"x=\"\" a\\b=\"c\\d\""}},
    {"mixed\r\nends\n\rhere\r", {"mixed", "ends", "here"}},
};

std::string wireOf(std::vector<WireCase> const& cases, std::vector<std::string>& logged)
{
    std::string wire;
    for (auto const& c : cases) {
        wire += c.wire;
        logged.insert(logged.end(), c.logged.begin(), c.logged.end());
    }
    return wire;
}

} // namespace

TEST(NetCommandValues, StoredTextsGettersAndWrittenForms)
{
    NetCommand command("MiXed");
    command.put("b", "ON");
    command.put("n", 42);
    command.putBool("t", true);
    command.put("q", "say \"hi\" a\\b");
    command.put("b", "Wahr");
    EXPECT_STREQ(command.getCommand().getChars(), "mixed");
    EXPECT_STREQ(command.toString().getChars(),
                 "MiXed b=\"Wahr\" n=\"42\" t=\"1\" q=\"say \"hi\" a\\b\"");
    EXPECT_STREQ(command.getString("b").getChars(), "wahr");
    EXPECT_STREQ(command.getString("B").getChars(), "");
    EXPECT_EQ(command.getInt("n"), 42);
    EXPECT_TRUE(command.contains("t"));
    std::pair<char const*, bool> const words[] = {
        {"1", true}, {"on", true},   {"EIN", true}, {"true", true}, {"T", true}, {"wahr", true},
        {"w", true}, {"yes", false}, {"ja", false}, {"2", false},   {"", false}};
    for (auto const& [word, yes] : words) {
        command.put("v", word);
        EXPECT_EQ(command.getBool("v"), yes) << word;
    }
}

// Every line rule in one burst behind ten thousand commands and the long lines, then split at
// every byte, then a close with nothing before it.
TEST(LineStream, EveryLineRuleInOneBurstAndSplitAtEveryByte)
{
    std::vector<std::string> once, expected;
    std::string const lines = wireOf(lineCases, once), limit(1023, 'w');
    std::string wire;
    for (int i = 0; i < 10000; ++i) {
        wire += "cmd i=\"" + std::to_string(i) + "\"\r\n";
        expected.push_back("cmd i=\"" + std::to_string(i) + "\"");
    }
    wire += limit + "\r\n" + limit + "w\n" + std::string(2000, 'l') + "\r\n" + lines +
        "after\npartial y=\"cut off";
    expected.insert(expected.end(), {limit, tooLong, tooLong});
    expected.insert(expected.end(), once.begin(), once.end());
    expected.insert(expected.end(), {"after", "close"});
    expectSameLog(receiveFromPeer("send", wire), expected);

    // The peer sends the line rules again for every split point k, as bytes [0,k) and [k,n).
    expected.clear();
    for (size_t k = 1; k < lines.size(); ++k)
        expected.insert(expected.end(), once.begin(), once.end());
    expected.push_back("close");
    expectSameLog(receiveFromPeer("split", lines), expected);
    EXPECT_EQ(receiveFromPeer("close", ""), std::vector<std::string>{"close"});
}

TEST(NetCommanderSend, MaskedLinesWithCrLfAndNothingWhenUnconnected)
{
    PeerFile result("sent");
    Recorder recorder;
    NetCommand quoted("say");
    quoted.put("text", "a \"q\" \\b"); // only quotes are masked
    NetCommand bare("next");
    recorder.sendCommand(&bare);
    recorder.connect("127.0.0.1", startPeerServer("collect " + result.unixPath));
    recorder.sendCommand(&quoted);
    recorder.sendCommand(&bare);
    recorder.disconnect();
    ASSERT_TRUE(waitFor([&] { return result.exists(); }));
    EXPECT_EQ(readWholeFile(result.winPath), "say text=\"a \\\"q\\\" \\b\"\r\nnext\r\n");
}

TEST(NetCommanderServer, FiftyClientsEachGetTheirOwnRepliesOrAreClosedWithoutListener)
{
    for (bool withListener : {true, false}) {
        int clients = withListener ? 50 : 5, commands = withListener ? 20 : 1;
        RecorderServer ours(withListener);
        PeerFile result("replies");
        ASSERT_TRUE(startPeer("client " + std::to_string(ours.server->getPort()) + " clients " +
                              std::to_string(clients) + " " + std::to_string(commands) + " " +
                              result.unixPath));
        ASSERT_TRUE(waitFor([&] { return result.exists(); }));
        std::string expected;
        for (int c = 0; c < clients; ++c)
            for (int j = 0; j < commands; ++j)
                expected += std::to_string(c) +
                    (withListener ? "\treply id=\"" + std::to_string(c) + "\" n=\"" +
                             std::to_string(j) + "\"\n"
                                  : "\tEOF\n");
        EXPECT_EQ(readWholeFile(result.winPath), expected);
        // Each client closes after its replies; one failed wait (a minute) is enough to know.
        for (auto& recorder : ours.recorders)
            ASSERT_TRUE(recorder->log.waitForLast("close"));
    }
}
