// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "foundation/FileCopyClass.h"
#include "foundation/FormRef.h"

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

// "File Copy": copies g_sSourceFile to g_sDestFile with a progress bar, started by tmrStart
// once the window shows, and closes itself after a good copy. While a copy runs the buttons are
// disabled and the window cannot be closed. A failed copy stays open with "Failed" so the user
// sees it; OK tries again. GUI thread; shown modal by the caller.
class FrmFileCopy : public QDialog {
    Q_OBJECT
public:
    FrmFileCopy();

    QString g_sSourceFile;
    QString g_sDestFile;
    void FileCopyEx(const QString& SourceFile, const QString& Destination);
    // Whether the last FileCopyEx copied the file.
    bool LastCopySucceeded() const { return m_lastSucceeded; }

    QFrame* picTitle = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lblFrom = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lblTo = nullptr;
    QFrame* Line1 = nullptr;
    QLabel* lblState = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdExit = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* tmrStart = nullptr;
    QTimer* tmrEnd = nullptr;

    void Timer1_Timer();
    void tmrStart_Timer();
    void tmrEnd_Timer();
    void cmdOK_Click();
    void cmdExit_Click();

protected:
    void Form_Load();
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    FileCopyClass* m_copy = nullptr;  // the running copy, for Timer1
    bool m_lastSucceeded = false;
};

inline FormRef<FrmFileCopy> g_frmFileCopy;
