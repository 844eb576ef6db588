#include "main_window.h"

#include "log_dialog.h"
#include "screen_widget.h"
#include "simulator/download_setup.h"
#include "sys_config_dialog.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>

namespace tft {

namespace {

QSettings settings() {
    return QSettings(QStringLiteral("Pellisor"), QStringLiteral("Dunmere"));
}

} // namespace

CDunmereDlg::CDunmereDlg(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Dunmere"));
    screen_ = new CScreemWnd(panel_.Device(), this);
    setCentralWidget(screen_);
    log_ = new CLogDlg(panel_.Log(), this);
    log_->setScriptHeader([this] {
        return scriptHeader(projectLabel_->text().toStdString(), std::chrono::system_clock::now(),
                            panel_.Rate());
    });

    QSettings s = settings();
    s.beginGroup(QStringLiteral("Settings"));
    port_ = s.value(QStringLiteral("Port"), CSysConfigDlg::kVirtualPort).toString();
    panel_.SetRate(s.value(QStringLiteral("Baud"), 9600).toUInt());
    const bool showLog = s.value(QStringLiteral("ShowLog"), 1).toInt() != 0;
    s.endGroup();

    QMenu* file = menuBar()->addMenu(QStringLiteral("文件"));
    file->addAction(QStringLiteral("打开工程..."), QKeySequence::Open, this,
                    &CDunmereDlg::chooseProject);
    file->addSeparator();
    file->addAction(QStringLiteral("退出"), QKeySequence::Quit, this, &QWidget::close);
    QMenu* line = menuBar()->addMenu(QStringLiteral("串口"));
    line->addAction(QStringLiteral("串口设置..."), this, &CDunmereDlg::configureLine);
    lineAction_ = line->addAction(QStringLiteral("打开串口"), this, &CDunmereDlg::toggleLine);
    QMenu* view = menuBar()->addMenu(QStringLiteral("查看"));
    logAction_ = view->addAction(QStringLiteral("通信记录"));
    logAction_->setCheckable(true);
    connect(logAction_, &QAction::toggled, this, &CDunmereDlg::setLogShown);

    QToolBar* bar = addToolBar(QStringLiteral("串口"));
    bar->addAction(QStringLiteral("串口设置..."), this, &CDunmereDlg::configureLine);
    bar->addAction(lineAction_);
    bar->addAction(logAction_);
    lineLabel_ = new QLabel(QStringLiteral("串口未打开"), this);
    lineLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    projectLabel_ = new QLabel(this);
    statusBar()->addWidget(projectLabel_, 1);
    statusBar()->addPermanentWidget(lineLabel_);

    logAction_->setChecked(showLog);
    setLogShown(showLog);
    panel_.SetLineFailureHandler([this](const std::string& why) {
        QMetaObject::invokeMethod(
            this,
            [this, text = QString::fromStdString(why)] {
                closeLine();
                lineLabel_->setText(QStringLiteral("串口已断开"));
                statusBar()->showMessage(text, 10000);
            },
            Qt::QueuedConnection);
    });
    // The project's rate and the host's EE A0 arrive on the core thread.
    panel_.SetRateHandler([this](std::uint32_t) {
        QMetaObject::invokeMethod(this, &CDunmereDlg::showLine, Qt::QueuedConnection);
    });
    panel_.Start();
}

CDunmereDlg::~CDunmereDlg() {
    panel_.Stop();
    // The children use the panel, which goes before QWidget deletes them.
    delete log_;
    delete screen_;
}

bool CDunmereDlg::openProject(const QString& siPath, QString* error) {
    std::string why;
    if (!panel_.Open(siPath.toStdString(), &why)) {
        if (error)
            *error = QString::fromStdString(why);
        return false;
    }
    projectLabel_->setText(siPath);
    fitToPanel();
    screen_->update();
    return true;
}

void CDunmereDlg::fitToPanel() {
    // As at start: the window takes the size the panel and its frame need.
    screen_->updateGeometry();
    if (layout())
        layout()->activate();
    if (!isMaximized() && !isFullScreen())
        resize(sizeHint());
}

void CDunmereDlg::receiveProject(const QString& siPath) {
    showNormal();
    raise();
    activateWindow();
    QString error;
    if (!siPath.isEmpty() && !openProject(siPath, &error))
        QMessageBox::warning(this, windowTitle(), error);
}

bool CDunmereDlg::openLine(const QString& port, QString* error) {
    std::string why;
    std::unique_ptr<Line> line;
    if (port == CSysConfigDlg::kVirtualPort)
        line = PtyLine::Create(std::string(), &why);
    else
        line = PortLine::Open(port.toStdString(), panel_.Rate(), &why);
    if (!line) {
        if (error)
            *error = QString::fromStdString(why);
        return false;
    }
    // The panel on the line also takes resource downloads (per-user storage).
    const std::string project = projectLabel_->text().toStdString();
    if (const std::string storage = downloadStorage(std::string(), project, &why); !storage.empty())
        line = receiveDownloads(std::move(line), storage, project, panel_);
    port_ = port;
    panel_.Attach(std::move(line));
    lineAction_->setText(QStringLiteral("关闭串口"));
    showLine();
    return true;
}

void CDunmereDlg::showLine() {
    if (!lineOpen())
        return;
    const QString text = QString::fromStdString(panel_.LineDescription());
    lineLabel_->setText(port_ == CSysConfigDlg::kVirtualPort
                            ? QStringLiteral("虚拟串口: %1 (%2)").arg(text).arg(panel_.Rate())
                            : text);
}

void CDunmereDlg::closeLine() {
    panel_.Attach(nullptr);
    lineLabel_->setText(QStringLiteral("串口未打开"));
    lineAction_->setText(QStringLiteral("打开串口"));
}

void CDunmereDlg::setLogShown(bool shown) {
    log_->setVisible(shown);
    if (logAction_->isChecked() != shown)
        logAction_->setChecked(shown);
}

void CDunmereDlg::chooseProject() {
    const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("打开工程"), QString(),
                                                      QStringLiteral("TFT工程(*.si)"));
    if (file.isEmpty())
        return;
    QString error;
    if (!openProject(file, &error))
        QMessageBox::warning(this, windowTitle(), error);
}

void CDunmereDlg::configureLine() {
    CSysConfigDlg dialog(port_, int(panel_.Rate()), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const bool reopen = lineOpen() && dialog.port() != port_;
    if (!panel_.SetRate(std::uint32_t(dialog.baud()))) // applied to an open line at once
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("串口不支持波特率 %1").arg(dialog.baud()));
    port_ = dialog.port();
    if (reopen) {
        closeLine();
        toggleLine();
    }
    showLine();
}

void CDunmereDlg::toggleLine() {
    if (lineOpen()) {
        closeLine();
        return;
    }
    QString error;
    if (!openLine(port_, &error))
        QMessageBox::warning(this, windowTitle(), QStringLiteral("打开串口失败：%1").arg(error));
}

void CDunmereDlg::closeEvent(QCloseEvent* event) {
    closeLine();
    panel_.Stop();
    QSettings s = settings();
    s.beginGroup(QStringLiteral("Settings"));
    s.setValue(QStringLiteral("ShowLog"), log_->isVisible() ? 1 : 0);
    s.setValue(QStringLiteral("Port"), port_);
    s.setValue(QStringLiteral("Baud"), panel_.Rate());
    s.endGroup();
    event->accept();
}

} // namespace tft
