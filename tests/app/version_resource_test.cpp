// Windows cannot run here, so the generated resource script is compiled with a
// cross windres and the compiled .res is read back: the icon group and the
// version information the executable will carry.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr uint16_t RT_ICON = 3;
constexpr uint16_t RT_GROUP_ICON = 14;
constexpr uint16_t RT_VERSION = 16;
constexpr uint16_t LANGUAGE_ZH_CN = 0x0804;
constexpr uint16_t CODE_PAGE_UNICODE = 1200;
constexpr uint32_t FIXED_FILE_INFO_SIGNATURE = 0xFEEF04BD;
constexpr uint32_t VFT_APP = 1;

using Bytes = std::vector<uint8_t>;

struct Resource {
    uint16_t type = 0; // ordinals only: a named type or name reads as 0
    uint16_t name = 0;
    uint16_t language = 0;
    Bytes data;
};

// One node of the VS_VERSIONINFO tree: key, value bytes and children.
struct VersionNode {
    std::u16string key;
    Bytes value;
    bool isText = false;
    std::vector<VersionNode> children;
};

uint16_t read16(const Bytes& b, size_t at)
{
    if (at + 2 > b.size())
        throw std::runtime_error("truncated");
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

uint32_t read32(const Bytes& b, size_t at)
{
    return read16(b, at) | static_cast<uint32_t>(read16(b, at + 2)) << 16;
}

size_t alignTo4(size_t at)
{
    return (at + 3) & ~size_t {3};
}

std::u16string readText16(const Bytes& b, size_t& at)
{
    std::u16string text;
    for (uint16_t c; (c = read16(b, at)) != 0; at += 2)
        text.push_back(static_cast<char16_t>(c));
    at += 2;
    return text;
}

// A type or name is either 0xFFFF and an ordinal, or a zero-ended string.
uint16_t readIdOrName(const Bytes& b, size_t& at)
{
    if (read16(b, at) == 0xFFFF) {
        const uint16_t ordinal = read16(b, at + 2);
        at += 4;
        return ordinal;
    }
    readText16(b, at);
    return 0;
}

std::vector<Resource> parseRes(const Bytes& b)
{
    std::vector<Resource> resources;
    for (size_t at = 0; at + 8 <= b.size();) {
        const uint32_t dataSize = read32(b, at);
        const uint32_t headerSize = read32(b, at + 4);
        size_t field = at + 8;
        Resource r;
        r.type = readIdOrName(b, field);
        r.name = readIdOrName(b, field);
        field = alignTo4(field);
        r.language = read16(b, field + 6);
        const size_t dataAt = at + headerSize;
        if (dataAt + dataSize > b.size())
            throw std::runtime_error("resource data runs past the end");
        r.data.assign(b.begin() + static_cast<ptrdiff_t>(dataAt),
            b.begin() + static_cast<ptrdiff_t>(dataAt + dataSize));
        // The file opens with an empty entry that only marks it as 32-bit.
        if (!(r.type == 0 && dataSize == 0))
            resources.push_back(std::move(r));
        at = alignTo4(dataAt + dataSize);
    }
    return resources;
}

VersionNode parseVersionNode(const Bytes& b, size_t at)
{
    const size_t end = at + read16(b, at);
    const uint16_t valueLength = read16(b, at + 2);
    VersionNode node;
    node.isText = read16(b, at + 4) == 1;
    size_t cursor = at + 6;
    node.key = readText16(b, cursor);
    cursor = alignTo4(cursor);
    const size_t valueBytes = node.isText ? valueLength * size_t {2} : valueLength;
    if (cursor + valueBytes > end)
        throw std::runtime_error("version value runs past its node");
    node.value.assign(
        b.begin() + static_cast<ptrdiff_t>(cursor), b.begin() + static_cast<ptrdiff_t>(cursor + valueBytes));
    for (cursor = alignTo4(cursor + valueBytes); cursor < end;) {
        const uint16_t childLength = read16(b, cursor);
        if (childLength == 0)
            break;
        node.children.push_back(parseVersionNode(b, cursor));
        cursor = alignTo4(cursor + childLength);
    }
    return node;
}

std::u16string textValue(const VersionNode& node)
{
    std::u16string text;
    for (size_t at = 0; at + 1 < node.value.size(); at += 2)
        text.push_back(static_cast<char16_t>(read16(node.value, at)));
    while (!text.empty() && text.back() == u'\0')
        text.pop_back();
    return text;
}

const VersionNode* child(const VersionNode& node, const std::u16string& key)
{
    for (const auto& c : node.children)
        if (c.key == key)
            return &c;
    return nullptr;
}

Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

class VersionResource : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (std::string(QUANVIK_WINDRES).empty())
            return;
        const std::string log = std::string(QUANVIK_RES_FILE) + ".log";
        std::remove(QUANVIK_RES_FILE);
        // windres's default preprocessor is the MinGW gcc, which the cross
        // binutils do not bring; the host compiler preprocesses just as well.
        const std::string command = std::string("\"") + QUANVIK_WINDRES + "\"" + " --preprocessor=\""
            + QUANVIK_PREPROCESSOR + "\""
            + " --preprocessor-arg=-E --preprocessor-arg=-xc"
              " --preprocessor-arg=-DRC_INVOKED -O res"
              " -i \""
            + QUANVIK_RC_FILE + "\" -o \"" + QUANVIK_RES_FILE + "\" > \"" + log + "\" 2>&1";
        if (std::system(command.c_str()) != 0) {
            std::ostringstream out;
            out << command << "\n" << std::ifstream(log).rdbuf();
            compileError_ = out.str();
            return;
        }
        resources_ = parseRes(readFile(QUANVIK_RES_FILE));
    }

    void SetUp() override
    {
        if (std::string(QUANVIK_WINDRES).empty())
            GTEST_SKIP() << "x86_64-w64-mingw32-windres is not installed";
        ASSERT_EQ(compileError_, "") << "windres failed";
    }

    static std::vector<const Resource*> ofType(uint16_t type)
    {
        std::vector<const Resource*> found;
        for (const auto& r : resources_)
            if (r.type == type)
                found.push_back(&r);
        return found;
    }

    static const Resource* find(uint16_t type, uint16_t name)
    {
        for (const auto& r : resources_)
            if (r.type == type && r.name == name)
                return &r;
        return nullptr;
    }

    static inline std::vector<Resource> resources_;
    static inline std::string compileError_;
};

TEST_F(VersionResource, everyResourceIsChinesePrc)
{
    ASSERT_FALSE(resources_.empty());
    for (const auto& r : resources_) {
        SCOPED_TRACE(testing::Message() << "type " << r.type << " name " << r.name);
        EXPECT_EQ(r.language, LANGUAGE_ZH_CN);
    }
}

TEST_F(VersionResource, iconGroupHoldsFourRgbaImagesLargestFirst)
{
    const auto groups = ofType(RT_GROUP_ICON);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0]->name, 1) << "Explorer shows the lowest-numbered group";
    const Bytes& dir = groups[0]->data;
    ASSERT_EQ(read16(dir, 2), 1) << "resource type: icon";
    ASSERT_EQ(read16(dir, 4), 4u);
    EXPECT_EQ(ofType(RT_ICON).size(), 4u) << "no image outside the group";

    const int sizes[] = {48, 32, 24, 16};
    for (size_t i = 0; i < 4; ++i) {
        const size_t entry = 6 + i * 14;
        const int size = sizes[i];
        SCOPED_TRACE(testing::Message() << size << " px");
        EXPECT_EQ(dir[entry], size);
        EXPECT_EQ(dir[entry + 1], size);
        EXPECT_EQ(read16(dir, entry + 4), 1) << "planes";
        EXPECT_EQ(read16(dir, entry + 6), 32) << "bits per pixel in the group";

        const Resource* icon = find(RT_ICON, read16(dir, entry + 12));
        ASSERT_NE(icon, nullptr) << "group names a missing image";
        const Bytes& dib = icon->data;
        EXPECT_EQ(read32(dir, entry + 8), dib.size()) << "size in the group";
        ASSERT_EQ(read32(dib, 0), 40u) << "a BITMAPINFOHEADER image";
        EXPECT_EQ(static_cast<int>(read32(dib, 4)), size);
        EXPECT_EQ(static_cast<int>(read32(dib, 8)), 2 * size) << "colour and mask rows";
        EXPECT_EQ(read16(dib, 14), 32) << "bits per pixel in the image";
        EXPECT_EQ(read32(dib, 16), 0u) << "uncompressed";

        // The alpha channel must carry the shape, not be all opaque or all clear:
        // the corner outside the rounded tile is clear, the centre is solid.
        const size_t stride = size_t(size) * 4;
        const size_t corner = 40 + 3;
        const size_t centre = 40 + (size / 2) * stride + static_cast<size_t>(size / 2) * 4 + 3;
        ASSERT_GE(dib.size(), 40 + stride * size);
        EXPECT_EQ(dib[corner], 0);
        EXPECT_EQ(dib[centre], 255);
    }
}

class VersionInfo : public VersionResource {
protected:
    void SetUp() override
    {
        VersionResource::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        const auto versions = ofType(RT_VERSION);
        ASSERT_EQ(versions.size(), 1u);
        EXPECT_EQ(versions[0]->name, 1);
        root_ = parseVersionNode(versions[0]->data, 0);
        ASSERT_EQ(root_.key, u"VS_VERSION_INFO");
    }

    VersionNode root_;
};

TEST_F(VersionInfo, fixedInfoCarriesProjectVersionAndMarksAnApplication)
{
    const Bytes& fixed = root_.value;
    ASSERT_EQ(fixed.size(), 52u);
    EXPECT_EQ(read32(fixed, 0), FIXED_FILE_INFO_SIGNATURE);
    const uint32_t ms = QUANVIK_VERSION_MAJOR << 16 | QUANVIK_VERSION_MINOR;
    const uint32_t ls = QUANVIK_VERSION_PATCH << 16 | QUANVIK_VERSION_TWEAK;
    EXPECT_EQ(read32(fixed, 8), ms) << "FILEVERSION major, minor";
    EXPECT_EQ(read32(fixed, 12), ls) << "FILEVERSION patch, tweak";
    EXPECT_EQ(read32(fixed, 16), ms) << "PRODUCTVERSION major, minor";
    EXPECT_EQ(read32(fixed, 20), ls) << "PRODUCTVERSION patch, tweak";
    EXPECT_EQ(read32(fixed, 28), 0u) << "no debug, pre-release or patched flag";
    EXPECT_EQ(read32(fixed, 36), VFT_APP);
}

TEST_F(VersionInfo, oneChineseStringTableWithTheNamedStrings)
{
    const VersionNode* stringInfo = child(root_, u"StringFileInfo");
    ASSERT_NE(stringInfo, nullptr);
    ASSERT_EQ(stringInfo->children.size(), 1u);
    const VersionNode& table = stringInfo->children[0];
    EXPECT_EQ(table.key, u"080404B0");

    std::map<std::u16string, std::u16string> strings;
    for (const auto& s : table.children) {
        EXPECT_TRUE(s.isText);
        strings[s.key] = textValue(s);
    }
    // Windows shows major.minor with two minor digits: 1.0.x.x is "1.00".
    char narrow[16];
    std::snprintf(narrow, sizeof narrow, "%d.%02d", QUANVIK_VERSION_MAJOR, QUANVIK_VERSION_MINOR);
    const std::u16string shortVersion(narrow, narrow + std::strlen(narrow));
    const struct {
        std::u16string key;
        std::optional<std::u16string> value; // nullopt: any non-empty text
    } expected[] = {
        {u"FileVersion", shortVersion},
        {u"ProductVersion", shortVersion},
        {u"ProductName", u"Quanvik"},
        {u"OriginalFilename", u"quanvik.exe"},
        {u"InternalName", u"quanvik"},
        {u"CompanyName", std::nullopt},
        {u"FileDescription", std::nullopt},
    };
    for (const auto& [key, value] : expected) {
        SCOPED_TRACE(testing::Message() << "key " << testing::PrintToString(key));
        ASSERT_TRUE(strings.contains(key));
        if (value)
            EXPECT_EQ(strings[key], *value);
        else
            EXPECT_FALSE(strings[key].empty());
    }
    // Read with the wrong code page, the Chinese text would come out as
    // Latin-1 mojibake rather than these characters.
    EXPECT_NE(strings[u"FileDescription"].find(u"期货"), std::u16string::npos)
        << testing::PrintToString(strings[u"FileDescription"]);
}

TEST_F(VersionInfo, translationIsChinesePrcUnicode)
{
    const VersionNode* varInfo = child(root_, u"VarFileInfo");
    ASSERT_NE(varInfo, nullptr);
    const VersionNode* translation = child(*varInfo, u"Translation");
    ASSERT_NE(translation, nullptr);
    ASSERT_EQ(translation->value.size(), 4u) << "exactly one language and code page";
    EXPECT_EQ(read16(translation->value, 0), LANGUAGE_ZH_CN);
    EXPECT_EQ(read16(translation->value, 2), CODE_PAGE_UNICODE);
}

} // namespace
