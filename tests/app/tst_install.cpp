// Installing into a prefix, and starting the installed program from
// another folder.
#include "support/programprocess.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

using testsupport::run;

class InstallTest : public QObject {
    Q_OBJECT
private slots:
    void installsADesktopApplication()
    {
        QTemporaryDir prefix;
        QProcess install;
        install.start(QStringLiteral("cmake"), {"--install", BUILD_DIR, "--prefix", prefix.path()});
        QVERIFY(install.waitForFinished(60000));
        QCOMPARE(install.exitCode(), 0);
        const QString root = prefix.path();
        const QString binary = root + "/bin/duvavazoruzevaz";
        QVERIFY(QFile::exists(binary));
        QVERIFY(QFile::exists(root + "/share/duvavazoruzevaz/ruzedir.hlp"));
        QVERIFY(QFile::exists(root + "/share/icons/hicolor/scalable/apps/duvavazoruzevaz.svg"));
        const QString desktop = root + "/share/applications/org.duvavazoruzevaz.Player.desktop";
        QVERIFY(QFile::exists(desktop));
        QProcess validate;
        validate.start(QStringLiteral("desktop-file-validate"), {desktop});
        QVERIFY(validate.waitForFinished(20000));
        QCOMPARE(validate.exitCode(), 0);
        // Folders are offered through "Open with", never claimed from the file manager.
        QFile entry(desktop);
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QVERIFY(!entry.readAll().contains("inode/directory"));
        packagedLikeADesktopProgram(root);
        neverTheDefaultOverAFileManagerOrMpv(root);

        // The installed program, started elsewhere, finds its help (F1).
        qputenv("DVZ_BINARY", QFile::encodeName(binary));
        testsupport::ProgramProcess program;
        QVERIFY(program.start(QStringLiteral("/")));
        const QString main = program.waitForWindow(QStringLiteral("DuvavazorUzevaz"));
        QVERIFY(!main.isEmpty());
        // The shell ties the window to the entry by its class.
        QVERIFY(run("xprop", {"-id", main, "WM_CLASS"}).trimmed().endsWith(QStringLiteral(", \"duvaVazorUzevaz\"")));
        QFile classOf(desktop);
        QVERIFY(classOf.open(QIODevice::ReadOnly));
        QVERIFY(classOf.readAll().contains("\nStartupWMClass=duvaVazorUzevaz\n"));
        run("xdotool", {"windowfocus", "--sync", main});
        run("xdotool", {"key", "F1"});
        QVERIFY(!program.waitForWindow(QStringLiteral("duvaVazorUzevaz ヘルプ — duvaVazorUzevaz について")).isEmpty());
    }

    // The Debian package holds the installed files, and its program runs.
    void buildsADebianPackage()
    {
        QTemporaryDir out;
        QProcess cpack;
        cpack.setWorkingDirectory(QStringLiteral(BUILD_DIR));
        cpack.start(QStringLiteral("cpack"), {"-G", "DEB", "-B", out.path()});
        QVERIFY(cpack.waitForFinished(400000)); // stripping and dependencies take minutes on a busy machine
        QCOMPARE(cpack.exitCode(), 0);
        const QString package = out.filePath(QStringLiteral("duvavazoruzevaz_4.5.0_amd64.deb"));
        QVERIFY(QFile::exists(package));
        const QString depends = run("dpkg-deb", {"--field", package, "Depends"});
        for (const char* loadedAtRunTime : {"libmpv2", "libspng0", "libwebp7"})
            QVERIFY2(depends.contains(QLatin1String(loadedAtRunTime)), loadedAtRunTime);
        QVERIFY(depends.contains(QStringLiteral("fonts-noto-cjk | fonts-ipafont-gothic"))); // captions are never boxes
        QVERIFY(run("dpkg-deb", {"--field", package, "Recommends"}).contains(QStringLiteral("qt6-wayland")));
        // As Debian's archive checks it: no error, no warning.
        QProcess lintian;
        lintian.setProcessChannelMode(QProcess::MergedChannels);
        lintian.start(QStringLiteral("lintian"), {"--fail-on", "error,warning", package});
        QVERIFY(lintian.waitForFinished(300000));
        QVERIFY2(lintian.exitCode() == 0, lintian.readAll().constData());
        const QString root = out.filePath(QStringLiteral("root"));
        QCOMPARE(QProcess::execute(QStringLiteral("dpkg-deb"), {"-x", package, root}), 0);
        packagedLikeADesktopProgram(root + "/usr");
        QVERIFY(run(root + "/usr/bin/duvavazoruzevaz", {"--version"}).contains(QStringLiteral("4.5.0")));
    }

private:
    // Installed beside a file manager and mpv, it is offered for the
    // media types, yet neither takes over folders nor video/mpeg.
    static void neverTheDefaultOverAFileManagerOrMpv(const QString& prefix)
    {
        const QString applications = prefix + "/share/applications";
        QTemporaryDir home;
        QDir().mkpath(home.filePath("bin"));
        const auto write = [](const QString& path, const QByteArray& text, bool executable) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text);
            file.close();
            if (executable)
                file.setPermissions(file.permissions() | QFile::ExeOwner);
        };
        write(applications + "/mpv.desktop",
              "[Desktop Entry]\nType=Application\nName=mpv\nExec=mpv %U\nMimeType=video/mpeg;video/mp4;\n", false);
        write(applications + "/filemanager.desktop",
              "[Desktop Entry]\nType=Application\nName=Files\nExec=filemanager %U\nMimeType=inode/directory;\n", false);
        for (const char* program : {"mpv", "filemanager"})
            write(home.filePath(QStringLiteral("bin/") + QLatin1String(program)), "#!/bin/sh\n", true);
        QCOMPARE(QProcess::execute(QStringLiteral("update-desktop-database"), {applications}), 0);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_DIRS", prefix + "/share");
        for (const char* variable : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"})
            environment.insert(QLatin1String(variable), home.path());
        environment.insert("PATH", home.filePath("bin") + ':' + prefix + "/bin:" + environment.value("PATH"));
        environment.remove("XDG_CURRENT_DESKTOP");
        environment.insert("LC_ALL", "C.UTF-8"); // gio's wording, untranslated
        const auto ask = [&](const QString& program, const QStringList& arguments) {
            QProcess process;
            process.setProcessEnvironment(environment);
            process.start(program, arguments);
            process.waitForFinished(20000);
            return QString::fromUtf8(process.readAllStandardOutput());
        };
        const QString videoChoices = ask("gio", {"mime", "video/mpeg"});
        QVERIFY2(videoChoices.section(u'\n', 0, 0).endsWith(QStringLiteral(": mpv.desktop")), qPrintable(videoChoices));
        QVERIFY(videoChoices.contains(QStringLiteral("org.duvavazoruzevaz.Player.desktop"))); // still in "Open with"
        QVERIFY(ask("gio", {"mime", "inode/directory"}).section(u'\n', 0, 0).endsWith(QStringLiteral(": filemanager.desktop")));
        QCOMPARE(ask("xdg-mime", {"query", "default", "video/mpeg"}).trimmed(), QStringLiteral("mpv.desktop"));
        QCOMPARE(ask("xdg-mime", {"query", "default", "inode/directory"}).trimmed(), QStringLiteral("filemanager.desktop"));
    }

    // The metainfo validates, the manual page reads, the options complete.
    static void packagedLikeADesktopProgram(const QString& prefix)
    {
        QProcess validate;
        validate.start(QStringLiteral("appstreamcli"),
                       {"validate", "--no-net", prefix + "/share/metainfo/org.duvavazoruzevaz.Player.metainfo.xml"});
        QVERIFY(validate.waitForFinished(30000));
        QVERIFY2(validate.exitCode() == 0, validate.readAllStandardOutput().constData());
        QVERIFY(run("man", {"-l", "-P", "cat", prefix + "/share/man/man1/duvavazoruzevaz.1.gz"}).contains(QStringLiteral("--new-instance")));
        const QString completion = prefix + "/share/bash-completion/completions/duvavazoruzevaz";
        QCOMPARE(run("bash", {"-c", QStringLiteral("source '%1'; COMP_WORDS=(duvavazoruzevaz --ne); COMP_CWORD=1; "
                                                   "_duvavazoruzevaz; echo \"${COMPREPLY[*]}\"").arg(completion)}),
                 QStringLiteral("--new-instance"));
    }
};

QTEST_GUILESS_MAIN(InstallTest)
#include "tst_install.moc"
