// The receive view's append path: line breaks (also split over two appends), wrapping that
// continues at the tail exactly as a full wrap would, characters beyond Latin-1, scrolling.
#include "terminal/ReceiveView.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QPrinter>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QScrollBar>
#include <QtTest>

class TstReceiveView : public QObject
{
    Q_OBJECT

    static QString RandomText(const QString& aAlphabet, QRandomGenerator& aRandom)
    {
        QString text;
        for (int i = 0; i < 20000; ++i)
            text += aAlphabet[aRandom.bounded(int(aAlphabet.size()))];
        return text;
    }

    // Shown at aWidth pixels, so that they wrap.
    static bool ShowAt(int aWidth, std::initializer_list<TReceiveView*> aViews)
    {
        for (TReceiveView* view : aViews) {
            view->resize(aWidth, 200);
            view->show();
            if (!QTest::qWaitForWindowExposed(view))
                return false;
        }
        return true;
    }

private slots:
    void lineBreaks_data()
    {
        QTest::addColumn<QStringList>("chunks");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty") << QStringList{} << QStringList{};
        QTest::newRow("one line") << QStringList{"abc"} << QStringList{"abc"};
        QTest::newRow("CR LF") << QStringList{"a\r\nb"} << QStringList{"a", "b"};
        QTest::newRow("lone CR and LF") << QStringList{"a\rb\nc"} << QStringList{"a", "b", "c"};
        QTest::newRow("CR CR LF") << QStringList{"a\r\r\nb"} << QStringList{"a", "", "b"};
        QTest::newRow("LF CR") << QStringList{"a\n\rb"} << QStringList{"a", "", "b"};
        QTest::newRow("trailing break") << QStringList{"a\r\n"} << QStringList{"a", ""};
        QTest::newRow("CR LF split over appends") << QStringList{"a\r", "\nb"} << QStringList{"a", "b"};
        QTest::newRow("CR then text") << QStringList{"a\r", "b"} << QStringList{"a", "b"};
        QTest::newRow("CR, empty-ish, LF") << QStringList{"a\r", "\n", "\n"} << QStringList{"a", "", ""};
        QTest::newRow("appends join")
            << QStringList{"ab", "cd", "\r\nef", "gh"} << QStringList{"abcd", "efgh"};
    }

    void lineBreaks()
    {
        QFETCH(QStringList, chunks);
        QFETCH(QStringList, lines);
        TReceiveView view;
        for (const QString& chunk : chunks)
            view.AppendText(chunk);
        QCOMPARE(view.LineCount(), lines.size());
        for (qsizetype i = 0; i < lines.size(); ++i)
            QCOMPARE(view.Line(i), lines[i]);
        QCOMPARE(view.Text(), lines.join(QStringLiteral("\r\n")));
    }

    void keepsCharactersBeyondLatin1AndControls()
    {
        TReceiveView view;
        view.AppendText(QStringLiteral("A\u20ACB\x1b\t\u00ff"), true);
        view.AppendText(QStringLiteral("\x1a"));
        QCOMPARE(view.Text(), QStringLiteral("A\u20ACB\x1b\t\u00ff\x1a"));
        QCOMPARE(view.CharacterCount(), 7);
    }

    // Wrapping piece by piece as data trickles in must give the rows a full wrap gives, and no
    // row may be wider than the view unless it holds a single character.
    void incrementalWrapMatchesFullWrap_data()
    {
        QTest::addColumn<QString>("alphabet");
        QTest::addColumn<int>("width");
        QTest::addColumn<quint32>("seed");
        const QString prose = QStringLiteral("abc def  ghij\tklmnopq rstu\r\nvw xyz\u20AC\x01");
        const QString longLines = QStringLiteral("aaaa bb\t\tcccccccc  d\tee fffffffffffffffffff \x02\x7f");
        QTest::newRow("prose 300") << prose << 300 << 99u;
        QTest::newRow("long lines 300") << longLines << 300 << 7u;
        QTest::newRow("long lines 400") << longLines << 400 << 8u;
        QTest::newRow("tabs and words 400") << QStringLiteral("word\tx yy\t\t") << 400 << 9u;
        QTest::newRow("no blanks 150") << QStringLiteral("abcdefgh\x03") << 150 << 10u;
        QTest::newRow("latin-1 lines 60") << QStringLiteral("abcdefgh ijklmnop qrstuv\u00e4\u00fc\x01\r\n") << 60 << 11u;
    }

    void incrementalWrapMatchesFullWrap()
    {
        QFETCH(QString, alphabet);
        QFETCH(int, width);
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        const QString text = RandomText(alphabet, random);
        TReceiveView pieces;
        TReceiveView whole;
        QVERIFY(ShowAt(width, {&pieces, &whole}));
        for (qsizetype at = 0; at < text.size();) {
            const qsizetype n = qMin<qsizetype>(1 + random.bounded(40), text.size() - at);
            pieces.AppendText(QStringView(text).sliced(at, n));
            at += n;
        }
        whole.AppendText(text);
        QVERIFY(pieces.RowCount() > pieces.LineCount()); // long lines did wrap
        QCOMPARE(pieces.RowStarts(), whole.RowStarts());
        QCOMPARE(pieces.Text(), whole.Text());
        // Received text comes as Latin-1 bytes, in pieces that split CR LF too.
        if (text == QString::fromLatin1(text.toLatin1())) {
            TReceiveView bytes;
            QVERIFY(ShowAt(width, {&bytes}));
            const QByteArray latin1 = text.toLatin1();
            for (qsizetype at = 0; at < latin1.size();) {
                const qsizetype n = qMin<qsizetype>(1 + random.bounded(40), latin1.size() - at);
                bytes.AppendLatin1ToReceive(QByteArrayView(latin1).sliced(at, n));
                at += n;
            }
            QCOMPARE(bytes.Text(), whole.Text());
            QCOMPARE(bytes.RowStarts(), whole.RowStarts());
        }
        const QList<qint64> starts = whole.RowStarts();
        for (qsizetype row = 0; row < whole.RowCount(); ++row) {
            const bool single = row + 1 < starts.size() && starts[row + 1] == starts[row] + 1;
            QVERIFY2(single || whole.RowWidth(row) <= whole.WrapWidth(), qPrintable(QString::number(row)));
        }

        // After a resize both re-wrap to the same, narrower rows.
        const qsizetype rowsBefore = whole.RowCount();
        pieces.resize(width / 2, 200);
        whole.resize(width / 2, 200);
        QCOMPARE(pieces.RowStarts(), whole.RowStarts());
        QVERIFY(whole.RowCount() > rowsBefore);
    }

    // Text without tabs is wrapped by a quicker scan than text with them; both keep one rule.
    // A tab at the end of a paragraph sends all of it the careful way and can only add a row
    // at its end.
    void wrapWithoutTabsBreaksWhereTheCarefulScanBreaks_data()
    {
        QTest::addColumn<QString>("alphabet");
        QTest::addColumn<int>("width");
        QTest::newRow("hex dump") << QStringLiteral("0123456789ABCDEF ") << 333;
        QTest::newRow("prose with boxes") << QStringLiteral("ab cd  efg\x01\x7f\u0081 \u20AC") << 301;
        QTest::newRow("long words") << QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789\x03 ") << 150;
        QTest::newRow("no blanks") << QStringLiteral("abcdefgh\x03") << 97;
    }

    void wrapWithoutTabsBreaksWhereTheCarefulScanBreaks()
    {
        QFETCH(QString, alphabet);
        QFETCH(int, width);
        QRandomGenerator random(4711);
        const QString text = RandomText(alphabet, random);
        TReceiveView plain;
        TReceiveView tabbed;
        QVERIFY(ShowAt(width, {&plain, &tabbed}));
        plain.AppendText(text);
        tabbed.AppendText(text + u'\t');
        const QList<qint64> plainStarts = plain.RowStarts();
        const QList<qint64> tabbedStarts = tabbed.RowStarts();
        QVERIFY(plainStarts.size() > 50);
        QVERIFY(tabbedStarts.size() <= plainStarts.size() + 1);
        QCOMPARE(tabbedStarts.mid(0, plainStarts.size()), plainStarts);
    }

    // Cutting back to a mark leaves the view as it was when the mark was taken: text, wide
    // characters, bold runs, wrapped rows and a CR still waiting for its LF.
    void truncatingToAMarkRestoresTheViewAsItWas()
    {
        TReceiveView cut;
        TReceiveView fresh;
        for (TReceiveView* view : {&cut, &fresh}) {
            view->resize(120, 200);
            view->AppendText(QStringLiteral("first line that wraps more than once\r\nzwei \u20AC"));
            view->AppendText(QStringLiteral("Gesendet: x\r"), true);
        }
        const TReceiveMark mark = cut.ReceiveEnd();
        cut.AppendText(QStringLiteral("\u20ACtail that wraps as well, longer than a row\r\nmore"));
        cut.TruncateReceive(mark);
        QCOMPARE(cut.Text(), fresh.Text());
        QCOMPARE(cut.RowStarts(), fresh.RowStarts());
        // Both go on alike: the LF completes the CR, bold stays where it was.
        for (TReceiveView* view : {&cut, &fresh})
            view->AppendText(QStringLiteral("\nweiter"));
        QCOMPARE(cut.Text(), fresh.Text());
        QCOMPARE(cut.LineCount(), 3);
        cut.SelectAll();
        fresh.SelectAll();
        QBuffer cutRtf;
        QBuffer freshRtf;
        cutRtf.open(QIODevice::WriteOnly);
        freshRtf.open(QIODevice::WriteOnly);
        QVERIFY(cut.SaveRtf(&cutRtf) && fresh.SaveRtf(&freshRtf));
        QCOMPARE(cutRtf.data(), freshRtf.data());
        // A mark from before a clear means nothing.
        cut.Clear();
        cut.TruncateReceive(mark);
        QCOMPARE(cut.Text(), QString());
    }

    // Positions count one extra place per line break; selection and copy work across
    // wrapped rows, bold runs and paragraphs.
    void selectionAndCopyAcrossRowsRunsAndParagraphs()
    {
        TReceiveView view;
        view.resize(120, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.AppendText(QStringLiteral("alpha beta gamma delta epsilon\r\n"));
        view.AppendText(QStringLiteral("Gesendet: X\r\n"), true);
        view.AppendText(QStringLiteral("zeta"));
        QVERIFY(view.RowCount() > view.LineCount());
        QCOMPARE(view.DocumentLength(), qint64(30 + 1 + 11 + 1 + 4));

        view.Select(6, 30 + 1 + 8);
        QCOMPARE(view.SelectedText(), QStringLiteral("beta gamma delta epsilon\r\nGesendet"));
        view.Copy();
        QCOMPARE(QGuiApplication::clipboard()->text(), view.SelectedText());

        view.SelectAll();
        QCOMPARE(view.SelectedText(), view.Text());

        // Keyboard: Ctrl+Home, Shift+End takes the first wrapped row, Shift+Right one more.
        view.setFocus();
        QTest::keyClick(&view, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(view.CaretPosition(), 0);
        QTest::keyClick(&view, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(&view, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(view.SelectedText(), QStringLiteral("al"));
        QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(view.SelectedText(), view.Text());
        QTest::keyClick(&view, Qt::Key_Down);
        QVERIFY(!view.HasSelection());
        QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(view.SelectedText(), view.Text());

        // A click puts the caret where the text is.
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(5, 6));
        QCOMPARE(view.CaretPosition(), 0);
    }

    void savesPlainTextAndRtf()
    {
        TReceiveView view;
        view.AppendText(QStringLiteral("A/cr/\u00e4{\\}\r\n"));
        view.AppendText(QStringLiteral("Gesendet: x\r\n"), true);
        view.AppendText(QStringLiteral("B"));
        QBuffer text;
        text.open(QIODevice::WriteOnly);
        QVERIFY(view.SaveText(&text));
        QCOMPARE(text.data(), QByteArray("A/cr/\xe4{\\}\r\nGesendet: x\r\nB"));

        view.AppendText(QStringLiteral("\u20ac"));
        QBuffer utf8;
        utf8.open(QIODevice::WriteOnly);
        QVERIFY(view.SaveText(&utf8));
        QVERIFY(utf8.data().endsWith(QStringLiteral("B\u20ac").toUtf8()));

        QTemporaryDir dir;
        QFile rtf(dir.filePath(QStringLiteral("log.rtf")));
        QVERIFY(rtf.open(QIODevice::WriteOnly));
        QVERIFY(view.SaveRtf(&rtf));
        rtf.close();
        QVERIFY(rtf.open(QIODevice::ReadOnly));
        const QByteArray bytes = rtf.readAll();
        QVERIFY(bytes.startsWith("{\\rtf1"));
        QVERIFY(bytes.contains("\\b"));
        {
            // ./test installs unrtf.
            QProcess unrtf;
            unrtf.start(QStringLiteral("unrtf"), {QStringLiteral("--html"), rtf.fileName()});
            QVERIFY(unrtf.waitForFinished());
            const QString html = QString::fromUtf8(unrtf.readAllStandardOutput());
            QVERIFY2(html.contains(QStringLiteral("<b>Gesendet: x")), qPrintable(html));
        }
    }

    void printsEveryLineToPdf()
    {
        TReceiveView view;
        for (int i = 0; i < 300; ++i)
            view.AppendText(QStringLiteral("Zeile %1 ").arg(i).repeated(i % 7 + 1) + QStringLiteral("\r\n"));
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("out.pdf")));
        const int pages = view.Print(&printer, QStringLiteral("Varnex"));
        QVERIFY(pages >= 3);
        QFile pdf(printer.outputFileName());
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.readAll().startsWith("%PDF"));
        {
            // ./test installs pdftotext.
            QProcess pdftotext;
            pdftotext.start(QStringLiteral("pdftotext"), {pdf.fileName(), QStringLiteral("-")});
            QVERIFY(pdftotext.waitForFinished());
            const QString printed = QString::fromUtf8(pdftotext.readAllStandardOutput());
            for (int i = 0; i < 300; ++i)
                QVERIFY2(printed.contains(QRegularExpression(QStringLiteral("\\bZeile %1\\b").arg(i))),
                         qPrintable(QString::number(i)));
        }
    }

    void autoScrollFollowsTheEndOnlyWhenAsked()
    {
        TReceiveView view;
        view.resize(200, 100);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        for (int i = 0; i < 100; ++i)
            view.AppendText(QStringLiteral("line %1\r\n").arg(i));
        QVERIFY(view.verticalScrollBar()->maximum() > 0);
        QVERIFY(view.IsAtEnd());

        QCOMPARE(view.CaretPosition(), view.DocumentLength());

        view.SetAutoScroll(false);
        view.verticalScrollBar()->setValue(3);
        view.SetCaretPosition(5);
        view.AppendText(QStringLiteral("more\r\n"));
        QCOMPARE(view.verticalScrollBar()->value(), 3);
        QCOMPARE(view.CaretPosition(), 5);

        view.Clear();
        QCOMPARE(view.LineCount(), 0);
        QCOMPARE(view.RowCount(), 0);
        QCOMPARE(view.Text(), QString());
    }
};

QTEST_MAIN(TstReceiveView)
#include "tst_ReceiveView.moc"
