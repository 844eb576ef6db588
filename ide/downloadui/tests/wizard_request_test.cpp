// The wizard's job from the compiled showcase: the bits of the boxes, the
// files of the folder, the font and keyboard packs generated when missing
// (byte for byte what the build writes), and that the job the worker gets
// sends what the boxes say.
#include "compiler/device_catalogue.h"
#include "download_worker.h"
#include "fake_proxy.h"
#include "font_config.h"
#include "open_project.h"
#include "project_job.h"
#include "showcase_build.h"
#include "string_table.h"
#include "testing/test_support.h"
#include "wizard_request.h"

#include <fstream>
#include <gtest/gtest.h>

using namespace tft::ide;
using namespace dluitest;
using testsupport::readBytes;
using testsupport::TempFolder;
using Bytes = std::vector<std::uint8_t>;

namespace {

std::string native(const fs::path& path) {
    return path.string();
}

class WizardRequest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApp();
        project.appDir = QStringLiteral(TFT_APP_DIR);
        project.outputFolder = q(showcaseOutput());
        project.projectFile = q(showcaseProject());
        const tft::DeviceCatalogue catalogue =
            tft::DeviceCatalogue::load(catalogueFile(TFT_APP_DIR));
        ProjectWorkspace workspace(catalogue);
        ASSERT_TRUE(workspace.open(project.projectFile).ok);
        ASSERT_NE(workspace.device(), nullptr);
        project.fontMask = std::uint32_t(workspace.device()->SystemFontMask);
    }
    // A copy of the output folder without the files of `drop` extensions.
    fs::path folderWithout(std::initializer_list<const char*> drop) {
        const fs::path to = temp.path() / "resources";
        fs::create_directories(to);
        for (const auto& entry : fs::directory_iterator(showcaseOutput())) {
            bool keep = entry.is_regular_file();
            for (const char* extension : drop)
                keep = keep && entry.path().extension() != extension;
            if (keep)
                fs::copy_file(entry.path(), to / entry.path().filename());
        }
        return to;
    }
    WizardOutcome build(const WizardChoice& choice) {
        return buildWizardRequest(choice, project, q(temp.path() / "tmp"));
    }
    WizardProject project;
    TempFolder temp;
};

} // namespace

TEST_F(WizardRequest, TheBoxesGiveTheBitsAndTheFolderTheFiles) {
    WizardChoice c;
    c.resourceFolder = q(showcaseOutput());
    c.images = c.screens = true;
    const WizardOutcome out = build(c);
    ASSERT_TRUE(out.error.isEmpty()) << out.error.toStdString();
    EXPECT_EQ(out.request.bits, 0x85u); // images, screens, and the wizard's mark
    EXPECT_TRUE(out.request.force);
    const DownloadFiles& f = out.request.job.files;
    EXPECT_EQ(f.imageIndex, native(showcaseOutput() / "showcase.graidx"));
    EXPECT_EQ(f.imageData, native(showcaseOutput() / "showcase.gwb"));
    EXPECT_EQ(f.screens, native(showcaseOutput() / "showcase.si"));
    EXPECT_EQ(f.fontIndex, native(showcaseOutput() / "showcase.fidx"));
    EXPECT_EQ(f.keyboard, native(showcaseOutput() / "showcase.sbin"));
    EXPECT_TRUE(f.modbus.empty());
    EXPECT_TRUE(out.lines.isEmpty()); // nothing had to be generated

    c.fonts = c.keyboard = true;
    EXPECT_EQ(build(c).request.bits, 0x195u);
    c = WizardChoice{};
    c.resourceFolder = q(showcaseOutput());
    EXPECT_EQ(build(c).request.bits, 0u); // nothing checked: nothing to submit
    EXPECT_TRUE(build(c).error.isEmpty());
}

TEST_F(WizardRequest, TheMapGoesOnlyWhenItsFileIsThere) {
    WizardChoice c;
    c.resourceFolder = q(showcaseOutput());
    c.modbus = true;
    c.modbusFile = q(temp.path() / "absent.mbm");
    const WizardOutcome missing = build(c);
    EXPECT_EQ(missing.request.bits, 0u);
    EXPECT_TRUE(missing.error.contains(QStringLiteral("absent.mbm")));
    temp.write("map.mbm", std::string(32, '\0'));
    c.modbusFile = q(temp.path() / "map.mbm");
    const WizardOutcome out = build(c);
    EXPECT_EQ(out.request.bits, 0x801u);
    EXPECT_EQ(out.request.job.files.modbus, native(temp.path() / "map.mbm"));
}

TEST_F(WizardRequest, MissingFontsAndKeyboardAreGeneratedBesideThePictures) {
    const fs::path folder = folderWithout({".fidx", ".fbin", ".sbin"});
    WizardChoice c;
    c.resourceFolder = q(folder);
    c.fonts = c.keyboard = true;
    const WizardOutcome out = build(c);
    ASSERT_TRUE(out.error.isEmpty()) << out.error.toStdString();
    EXPECT_EQ(out.request.bits, 0x111u);
    const DownloadFiles& f = out.request.job.files;
    EXPECT_EQ(f.fontIndex, native(folder / "showcase.fidx"));
    EXPECT_EQ(f.fontData, native(folder / "showcase.fbin"));
    EXPECT_EQ(f.keyboard, native(folder / "showcase.sbin"));
    // The same bytes as the build's own packs.
    for (const char* extension : {".fidx", ".fbin", ".sbin"})
        EXPECT_EQ(readBytes(folder / (std::string("showcase") + extension)),
                  readBytes(showcaseOutput() / (std::string("showcase") + extension)))
            << extension;
    EXPECT_EQ(out.lines.size(), 2); // the font pack and the keyboard pack
}

TEST_F(WizardRequest, WithoutAPictureIndexThePacksGoToTheTemporaryFolder) {
    const fs::path folder = temp.path() / "only_screens";
    fs::create_directories(folder);
    fs::copy_file(showcaseOutput() / "showcase.si", folder / "showcase.si");
    WizardChoice c;
    c.resourceFolder = q(folder);
    c.fonts = true;
    c.screens = true;
    const WizardOutcome out = build(c);
    ASSERT_TRUE(out.error.isEmpty()) << out.error.toStdString();
    const fs::path own = temp.path() / "tmp" / "orvane_res";
    EXPECT_EQ(out.request.job.files.fontIndex, native(own / "system.fidx"));
    EXPECT_EQ(out.request.job.files.fontData, native(own / "system.fbin"));
    EXPECT_EQ(readBytes(own / "system.fbin"), readBytes(showcaseOutput() / "showcase.fbin"));
    EXPECT_FALSE(fs::exists(own / "system.sbin")); // not asked for
    EXPECT_FALSE(fs::exists(folder / "showcase.fidx"));
    // Again: the earlier files there are replaced, not a reason to fail.
    EXPECT_TRUE(build(c).error.isEmpty());
}

TEST_F(WizardRequest, FilesOfTheFolderAreNeverReplaced) {
    // The keyboard is there (the user's own); only the fonts are missing.
    const fs::path folder = folderWithout({".fidx", ".fbin"});
    const Bytes own{1, 2, 3};
    {
        std::ofstream(folder / "showcase.sbin", std::ios::binary | std::ios::trunc)
            << "\x01\x02\x03";
    }
    WizardChoice c;
    c.resourceFolder = q(folder);
    c.fonts = c.keyboard = true;
    const WizardOutcome out = build(c);
    ASSERT_TRUE(out.error.isEmpty()) << out.error.toStdString();
    EXPECT_EQ(out.request.job.files.keyboard, native(folder / "showcase.sbin"));
    EXPECT_EQ(readBytes(folder / "showcase.sbin"), own);
    EXPECT_EQ(out.request.job.files.fontIndex, native(folder / "showcase.fidx"));

    // Half a font pair is not matched with a generated other half.
    const fs::path half = temp.path() / "half";
    fs::create_directories(half);
    fs::copy_file(showcaseOutput() / "showcase.graidx", half / "showcase.graidx");
    { std::ofstream(half / "showcase.fbin", std::ios::binary) << "old"; }
    c.resourceFolder = q(half);
    c.keyboard = false;
    const WizardOutcome pair = build(c);
    ASSERT_TRUE(pair.error.isEmpty()) << pair.error.toStdString();
    const fs::path tmpOwn = temp.path() / "tmp" / "orvane_res";
    EXPECT_EQ(pair.request.job.files.fontIndex, native(tmpOwn / "system.fidx"));
    EXPECT_EQ(pair.request.job.files.fontData, native(tmpOwn / "system.fbin"));
    EXPECT_EQ(readBytes(half / "showcase.fbin"), (Bytes{'o', 'l', 'd'}));
}

TEST_F(WizardRequest, AMissingFolderOrAnAppFolderWithoutFontsIsAnError) {
    WizardChoice c;
    c.resourceFolder = q(temp.path() / "nowhere");
    c.images = true;
    EXPECT_TRUE(build(c).error.contains(QStringLiteral("nowhere")));
    EXPECT_EQ(build(c).request.bits, 0u);

    const fs::path folder = folderWithout({".fidx", ".fbin"});
    c.resourceFolder = q(folder);
    c.fonts = true;
    project.appDir = q(temp.path() / "empty_app");
    fs::create_directories(temp.path() / "empty_app");
    const WizardOutcome out = build(c);
    EXPECT_EQ(out.request.bits, 0u);
    EXPECT_FALSE(out.error.isEmpty());
}

TEST_F(WizardRequest, TheWorkerSendsWhatTheBoxesSayAndIgnoresTheMark) {
    WizardChoice c;
    c.resourceFolder = q(showcaseOutput());
    c.fonts = c.screens = true;
    const WizardOutcome out = build(c);
    ASSERT_EQ(out.request.bits & kWizardJobMark, kWizardJobMark);
    tft::ide::testing::FakeProxy com;
    DownloadLink link;
    link.com = &com;
    DownloadOutput output;
    output.pause = [](int) {};
    DownloadWorker worker(link, output);
    bool force = out.request.force;
    ImageDigests digests;
    EXPECT_TRUE(worker.Run(out.request.bits, out.request.job.files, force, digests));
    EXPECT_EQ(com.headers(), (std::vector<Bytes>{{0x93}, {0x91}, {0x97}}));
    // The data packets carry the files: the first font index packet holds
    // the start of the generated index.
    const auto data = com.of('d');
    const Bytes index = readBytes(showcaseOutput() / "showcase.fidx");
    ASSERT_FALSE(data.empty());
    ASSERT_GE(data[0].bytes.size(), 2 + index.size());
    EXPECT_EQ(std::size_t(data[0].count()), index.size());
    EXPECT_TRUE(std::equal(index.begin(), index.end(), data[0].bytes.begin() + 2));

    // The mark alone is no job at all.
    tft::ide::testing::FakeProxy idle;
    link.com = &idle;
    DownloadWorker nothing(link, output);
    EXPECT_TRUE(nothing.Run(kWizardJobMark, out.request.job.files, force, digests));
    EXPECT_TRUE(idle.calls.empty());
}
