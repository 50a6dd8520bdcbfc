#pragma once
// Base of every module form. The host constructs a form through the registry, sets the manifest's
// read-only state, calls FormCreate(), then FMIExecute; on closing it calls FormDestroy() before the
// form is deleted.

#include "shellware_global.h"

#include <QWidget>

class QEventLoop;

class TFormModuleInfo;
class TReportModuleInfo;
class TModuleInfo;

enum TWindowOption { woLoadSize = 0x1, woLoadPosition = 0x2, woLoadWindowState = 0x4 };

class FD_SHELLWARE_EXPORT TWin95Form : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int Options MEMBER Options)
    Q_PROPERTY(QString StatusHint READ StatusHint WRITE setStatusHint NOTIFY statusHintChanged)
public:
    explicit TWin95Form(QWidget *parent = nullptr);
    ~TWin95Form() override;

    // Nesting lock tested by the dataset handlers: Lock(true) increments, Lock(false) decrements.
    void Lock(bool on);
    bool GetLocked() const { return m_lock > 0; }

    int Options = 0;   // TWindowOption bits; restored from the settings on first show
    // Modal result after ShowModal: 1 accepted, 2 cancelled (0 while running).
    int ModalResult = 0;
    int ShowModal();
    void closeModal(int result);

    // The manifest (child "FMI" or "RMI"); null for forms without one.
    TFormModuleInfo *formInfo() const;
    TReportModuleInfo *reportInfo() const;
    TModuleInfo *moduleInfo() const;

    // The create and destroy handlers, called by the host.
    virtual void FormCreate() {}
    virtual void FormDestroy() {}
    bool isCreated() const { return m_created; }
    bool isDestroying() const { return m_destroying; }
    // Host side: runs FormCreate / FormDestroy once each.
    void runCreate();
    void runDestroy();

    // The hint text the form shows in the host's status line.
    QString StatusHint() const { return m_hint; }
    void setStatusHint(const QString &h);

    // Saves the window geometry (host, on close).
    void saveWindowOptions();
    void restoreWindowOptions();

signals:
    void statusHintChanged(const QString &hint);

protected:
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    int m_lock = 0;
    bool m_created = false;
    bool m_destroying = false;
    bool m_restored = false;
    QString m_hint;
    QEventLoop *m_modalLoop = nullptr;
};
