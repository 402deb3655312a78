import QtQuick 2.0
import QtTest 1.0
import "qrc:///qml"

// The date prompt and its calendar inside the scene-wide objects they use.
Rectangle {
    id: root

    property real itemHeight: tabletMode ? 80 : 50

    width: 900
    height: 900

    Style { id: styles }
    ListViewForm { id: listViewForm }
    CalendarForm { id: calendarForm }

    TestCase {
        name: "Calendar"
        when: windowShown

        property var chosen: []

        function calendar() {
            return findChild(calendarForm, "calendar")
        }

        function view() {
            return findChild(calendarForm, "calendarView")
        }

        function pageIndex(year, month) {
            return (year - 1900) * 12 + month
        }

        function page(index) {
            tryVerify(function() { return findChild(view(), "calendarPage" + index) !== null })
            return findChild(view(), "calendarPage" + index)
        }

        function cell(pageItem, k) {
            var item = findChild(pageItem, "day" + k)
            verify(item, "cell " + k)
            return item
        }

        function sameDay(date, year, month, day) {
            compare(date.getFullYear(), year)
            compare(date.getMonth(), month)
            compare(date.getDate(), day)
        }

        function showDate(text) {
            chosen = []
            calendarForm.show(text, function(date) { chosen.push(date) })
            tryCompare(calendarForm, "opacity", 1.0)
            tryCompare(view(), "moving", false)
        }

        function cleanup() {
            listViewForm.cancel()
            calendarForm.close()
            tryCompare(listViewForm, "opacity", 0)
            tryCompare(calendarForm, "opacity", 0)
            calendar().showAllDays = true
        }

        // A day the month does not have opens that month with no day chosen,
        // and OK waits for one.
        function test_invalidDayOpensItsMonth_data() {
            return [
                { tag: "31 February", text: "31.02.1990", year: 1990, month: 1 },
                { tag: "29 February, no leap year", text: "29.02.1990", year: 1990, month: 1 },
                { tag: "31 April", text: "31.04.1985", year: 1985, month: 3 },
                { tag: "day 0", text: "00.05.1970", year: 1970, month: 4 }
            ]
        }

        function test_invalidDayOpensItsMonth(data) {
            showDate(data.text)
            compare(view().currentIndex, pageIndex(data.year, data.month))
            var shown = page(pageIndex(data.year, data.month))
            for (var k = 0; k < 42; ++k) {
                verify(!cell(shown, k).selected, "cell " + k)
            }
            var ok = findChild(calendarForm, "calendarOkButton")
            verify(!ok.enabled)
            mouseClick(cell(shown, shown.firstWeekday + 9))
            mouseClick(ok)
            compare(chosen.length, 1)
            sameDay(chosen[0], data.year, data.month, 10)
        }

        // The year list opens on the shown year, or on a likely birth year
        // while this year is shown; a typed year is shown at once.
        function test_yearListOpensNearLikelyYear_data() {
            var now = new Date().getFullYear()
            return [
                { tag: "no date", text: "", year: now - 30 },
                { tag: "a date", text: "05.03.1990", year: 1990 },
                { tag: "an invalid day", text: "31.02.1961", year: 1961 }
            ]
        }

        function test_yearListOpensNearLikelyYear(data) {
            showDate(data.text)
            mouseClick(findChild(page(view().currentIndex), "yearButton"))
            tryCompare(listViewForm, "opacity", 1.0)
            var list = findChild(listViewForm, "listViewFormList")
            compare(list.indexAt(list.width / 2, list.contentY + list.height / 2),
                    data.year - 1900)
        }

        function test_typedYearShowsIt() {
            showDate("05.03.1990")
            var field = findChild(calendarForm, "calendarYearField")
            mouseClick(field)
            keyClick(Qt.Key_1)
            keyClick(Qt.Key_9)
            keyClick(Qt.Key_7)
            compare(view().currentIndex, pageIndex(1990, 2))
            keyClick(Qt.Key_2)
            tryCompare(view(), "currentIndex", pageIndex(1972, 2))
            sameDay(calendar().today, 1972, 2, 5)
        }

        function test_unreadableTextPresetsToday_data() {
            return [
                { tag: "letters", text: "ab.cd.efgh" },
                { tag: "empty", text: "" }
            ]
        }

        function test_unreadableTextPresetsToday(data) {
            showDate(data.text)
            var now = new Date()
            sameDay(calendar().today, now.getFullYear(), now.getMonth(), now.getDate())
            compare(view().currentIndex, view().count - 1)
        }

        function test_previousMonthDaySelectsAndPagesBack() {
            showDate("15.03.1990")
            // 1 March 1990 was a Thursday: cells 0 to 2 are 26 to 28 February.
            var march = page(pageIndex(1990, 2))
            compare(cell(march, 0).dayText, "26")
            compare(String(cell(march, 0).textColor), String(styles.calendar.text.grey))
            mouseClick(cell(march, 0))
            sameDay(calendar().today, 1990, 1, 26)
            compare(view().currentIndex, pageIndex(1990, 1))
        }

        function test_yearChooserKeepsDayAndMonth() {
            showDate("05.03.1990")
            var march = page(pageIndex(1990, 2))
            mouseClick(findChild(march, "yearButton"))
            tryCompare(listViewForm, "opacity", 1.0)
            compare(listViewForm.model[0], "1900")
            compare(listViewForm.model[listViewForm.model.length - 1], String(new Date().getFullYear()))
            var list = findChild(listViewForm, "listViewFormList")
            list.positionViewAtIndex(100, ListView.Beginning)
            var row = null
            tryVerify(function() {
                row = findChild(listViewForm, "listViewFormRow100")
                return row !== null
            })
            mouseClick(row)
            sameDay(calendar().today, 2000, 2, 5)
            tryCompare(view(), "currentIndex", pageIndex(2000, 2))
            compare(calendarForm.opacity, 1.0)
        }
    }
}
