import QtQuick 2.0

// Month-by-month calendar from January of minYear to the current month, weeks
// starting on Monday; days after today cannot be chosen.
Rectangle {
    id: calendar

    property bool interactive: true
    property date today
    // False while no day is chosen: `today` then names only the month shown
    // (a typed day that month does not have).
    property bool daySelected: true
    property bool showAllDays: true
    property int startDay: new Date().getDate()
    property int minYear: 1900
    property int maxYear: new Date().getFullYear()
    property int timeShift: 0
    property var allYears: []

    readonly property int currentMonth: new Date().getMonth()
    readonly property int pageCount: (calendar.maxYear - calendar.minYear) * 12 + calendar.currentMonth + 1
    readonly property alias currentPage: view.currentIndex

    function initToday() {
        var now = new Date()
        now.setHours(now.getUTCHours() + calendar.timeShift)
        calendar.today = now
        var years = []
        for (var year = calendar.minYear; year <= calendar.maxYear; ++year) {
            years.push(String(year))
        }
        calendar.allYears = years
    }

    function pageOf(date) {
        return (date.getFullYear() - calendar.minYear) * 12 + date.getMonth()
    }

    // Shows the page of `today`; a date outside the model leaves the view as it is.
    function updatePosition() {
        var page = calendar.pageOf(calendar.today)
        if (page >= 0 && page < view.count) {
            view.currentIndex = page
            view.positionViewAtIndex(page, ListView.Center)
            view.positionViewAtIndex(page, ListView.Center)
        }
        if (debug) {
            console.log("calendar: " + calendar.today.getMonth() + " " + view.currentIndex + " " + view.count)
        }
    }

    function isFutureDay(index, date) {
        var now = new Date()
        if (date.getFullYear() !== now.getFullYear() || date.getMonth() !== now.getMonth()) {
            return false
        }
        return index >= calendar.startDay
    }

    function isCurrentMonth(year, month) {
        var now = new Date()
        return year === now.getFullYear() && month === now.getMonth()
    }

    // Keeps day and month in the chosen year; the 29th of February becomes
    // the 28th in other years, and a day after today becomes today.
    function onShowYear(year) {
        var day = calendar.today.getDate()
        var month = calendar.today.getMonth()
        var chosen = parseInt(year, 10)
        var date = new Date(chosen, month, Math.min(day, new Date(chosen, month + 1, 0).getDate()),
                            calendar.today.getHours())
        var now = new Date()
        if (date > now) {
            date = now
        }
        calendar.today = date
        calendar.updatePosition()
    }

    // The year to offer first: the shown one, or, while the calendar shows
    // this year (nothing chosen yet), one a grown-up may be born in.
    function likelyYear(year) {
        return year === calendar.maxYear ? Math.max(calendar.maxYear - 30, calendar.minYear) : year
    }

    // The year chooser opens on the likely year.
    function chooseYear(year) {
        listViewForm.show(calendar.allYears, calendar.onShowYear,
                          calendar.allYears.indexOf(String(calendar.likelyYear(year))))
    }

    function previousPage() {
        view.decrementCurrentIndex()
    }

    function nextPage() {
        view.incrementCurrentIndex()
    }

    width: 250
    height: calendar.width * 0.9
    radius: styles.calendar.radius
    border { width: styles.calendar.borderWidth; color: styles.calendar.borderColor }
    clip: true
    gradient: styles.calendar.gradient.background

    onTimeShiftChanged: calendar.initToday()
    Component.onCompleted: calendar.initToday()

    ListView {
        id: view

        objectName: "calendarView"
        anchors { fill: parent; margins: calendar.border.width }
        orientation: ListView.Horizontal
        snapMode: ListView.SnapOneItem
        highlightRangeMode: ListView.StrictlyEnforceRange
        preferredHighlightBegin: 0
        preferredHighlightEnd: view.width
        highlightMoveDuration: 250
        highlightMoveVelocity: -1
        boundsBehavior: Flickable.StopAtBounds
        clip: true
        cacheBuffer: 0
        interactive: calendar.interactive

        Component.onCompleted: {
            view.model = calendar.pageCount
            if (debug) {
                console.log("calendar: " + view.currentIndex + " " + view.count)
            }
        }

        delegate: Item {
            id: page

            readonly property int year: calendar.minYear + Math.floor(index / 12)
            readonly property int month: index % 12
            readonly property int firstWeekday: (new Date(page.year, page.month, 1).getDay() + 6) % 7
            readonly property int dayCount: new Date(page.year, page.month + 1, 0).getDate()

            objectName: "calendarPage" + index
            width: view.width
            height: view.height

            Rectangle {
                id: titleBand

                anchors { left: parent.left; right: parent.right; top: parent.top }
                height: calendar.height * 0.09
                gradient: styles.calendar.gradient.headerTop

                Item {
                    id: prevArrow

                    objectName: "prevMonth"
                    anchors { left: parent.left; leftMargin: 5; verticalCenter: parent.verticalCenter }
                    width: titleBand.height * 0.7
                    height: prevArrow.width
                    opacity: prevMouse.pressed ? 0.5 : 1.0
                    Accessible.role: Accessible.Button
                    Accessible.name: qsTr("Previous month")
                    Accessible.onPressAction: calendar.previousPage()

                    Image {
                        anchors.fill: parent
                        source: "images/prev.png"
                        fillMode: Image.PreserveAspectFit
                        smooth: true
                    }

                    MouseArea {
                        id: prevMouse

                        anchors.centerIn: parent
                        width: parent.width * 2
                        height: parent.height * 2
                        hoverEnabled: !tabletMode
                        onClicked: calendar.previousPage()
                    }

                    ToolTip {
                        area: prevMouse
                        text: prevArrow.Accessible.name
                    }
                }

                Row {
                    anchors.centerIn: parent

                    Text {
                        anchors.verticalCenter: parent.verticalCenter
                        text: Qt.locale().standaloneMonthName(page.month, Locale.LongFormat) + " "
                        color: styles.calendar.text.header
                        font { bold: true; pointSize: 12 }
                    }

                    Rectangle {
                        objectName: "yearButton"
                        anchors.verticalCenter: parent.verticalCenter
                        width: yearText.width
                        height: yearText.height
                        radius: 2
                        gradient: yearMouse.pressed ? pressedYearGradient : yearGradient
                        Accessible.role: Accessible.Button
                        Accessible.name: yearText.text
                        Accessible.onPressAction: calendar.chooseYear(page.year)

                        Text {
                            id: yearText

                            text: " " + page.year + " "
                            color: yearMouse.pressed ? "grey" : styles.calendar.text.header
                            font { bold: true; pointSize: 12 }
                        }

                        MouseArea {
                            id: yearMouse

                            anchors.fill: parent
                            onClicked: calendar.chooseYear(page.year)
                        }
                    }
                }

                Item {
                    id: nextArrow

                    objectName: "nextMonth"
                    anchors { right: parent.right; rightMargin: 5; verticalCenter: parent.verticalCenter }
                    width: titleBand.height * 0.7
                    height: nextArrow.width
                    opacity: nextMouse.pressed ? 0.5 : 1.0
                    Accessible.role: Accessible.Button
                    Accessible.name: qsTr("Next month")
                    Accessible.onPressAction: calendar.nextPage()

                    Image {
                        anchors.fill: parent
                        source: "images/next.png"
                        fillMode: Image.PreserveAspectFit
                        smooth: true
                    }

                    MouseArea {
                        id: nextMouse

                        anchors.centerIn: parent
                        width: parent.width * 2
                        height: parent.height * 2
                        hoverEnabled: !tabletMode
                        onClicked: calendar.nextPage()
                    }

                    ToolTip {
                        area: nextMouse
                        text: nextArrow.Accessible.name
                    }
                }
            }

            Rectangle {
                id: weekdayBand

                anchors { left: parent.left; right: parent.right; top: titleBand.bottom }
                height: calendar.height * 0.09
                gradient: styles.calendar.gradient.headerBottom

                Row {
                    anchors { fill: parent; leftMargin: 5; rightMargin: 5 }

                    Repeater {
                        model: 7

                        Text {
                            width: (weekdayBand.width - 10) / 7
                            height: weekdayBand.height
                            text: Qt.locale().dayName((index + 1) % 7, Locale.ShortFormat)
                            color: styles.calendar.text.header
                            font { bold: true; pointSize: 12 }
                            fontSizeMode: Text.Fit
                            minimumPointSize: 5
                            horizontalAlignment: Text.AlignHCenter
                            verticalAlignment: Text.AlignVCenter
                        }
                    }
                }
            }

            Grid {
                id: dayGrid

                objectName: "dayGrid"
                anchors {
                    top: weekdayBand.bottom
                    topMargin: 5
                    horizontalCenter: parent.horizontalCenter
                }
                width: view.width - 10
                height: calendar.height - titleBand.height - weekdayBand.height - 10
                columns: 7
                rows: 6

                Repeater {
                    model: 42

                    Item {
                        id: cell

                        readonly property bool previousMonth: index < page.firstWeekday
                        readonly property bool nextMonth: index >= page.firstWeekday + page.dayCount
                        readonly property bool outside: cell.previousMonth || cell.nextMonth
                        readonly property int day: index - page.firstWeekday + 1
                        readonly property date date: new Date(page.year, page.month, cell.day)
                        readonly property bool selected: !cell.outside && calendar.daySelected
                                                         && calendar.today.getFullYear() === page.year
                                                         && calendar.today.getMonth() === page.month
                                                         && calendar.today.getDate() === cell.day
                        // The days after today: in the current month and, on
                        // its page, the next month's cells.
                        readonly property bool future: cell.nextMonth
                                                       ? calendar.isCurrentMonth(page.year, page.month)
                                                       : !cell.outside
                                                         && calendar.isFutureDay(cell.day - 1, cell.date)
                        readonly property bool weekend: index % 7 >= 5
                        readonly property string dayText: {
                            if (!cell.outside) {
                                return String(cell.day)
                            }
                            if (!calendar.showAllDays) {
                                return ""
                            }
                            if (cell.previousMonth) {
                                return String(new Date(page.year, page.month, cell.day).getDate())
                            }
                            return String(index - page.firstWeekday - page.dayCount + 1)
                        }
                        readonly property color textColor: {
                            if (cell.outside) {
                                return styles.calendar.text.grey
                            }
                            if (cell.selected) {
                                return styles.calendar.text.header
                            }
                            if (cell.future) {
                                return styles.calendar.text.grey
                            }
                            if (cell.weekend) {
                                return styles.calendar.text.red
                            }
                            return styles.calendar.text.normal
                        }

                        function choose() {
                            if (!calendar.interactive || cell.future) {
                                return
                            }
                            var clicked = new Date(page.year, page.month, cell.day)
                            if (cell.outside) {
                                if (!calendar.showAllDays) {
                                    return
                                }
                                calendar.daySelected = true
                                calendar.today = clicked
                                if (cell.previousMonth) {
                                    calendar.previousPage()
                                } else {
                                    calendar.nextPage()
                                }
                                return
                            }
                            calendar.daySelected = true
                            calendar.today = clicked
                        }

                        objectName: "day" + index
                        enabled: !cell.future
                        width: dayGrid.width / 7
                        height: dayGrid.height / 6
                        Accessible.role: Accessible.Button
                        Accessible.name: cell.dayText
                        Accessible.onPressAction: cell.choose()

                        Rectangle {
                            anchors.fill: parent
                            radius: 3
                            color: cell.selected ? styles.calendar.headerColor : "transparent"
                        }

                        Text {
                            anchors.fill: parent
                            text: cell.dayText
                            color: cell.textColor
                            font { pointSize: 12; bold: cell.selected }
                            fontSizeMode: Text.Fit
                            minimumPointSize: 5
                            horizontalAlignment: Text.AlignHCenter
                            verticalAlignment: Text.AlignVCenter
                        }

                        MouseArea {
                            anchors.fill: parent
                            onClicked: cell.choose()
                        }
                    }
                }
            }
        }
    }

    Gradient {
        id: yearGradient

        GradientStop { position: 0.0; color: "#33ffffff" }
        GradientStop { position: 1.0; color: "#22ffffff" }
    }

    Gradient {
        id: pressedYearGradient

        GradientStop { position: 0.0; color: "#11ffffff" }
        GradientStop { position: 1.0; color: "#11ffffff" }
    }
}
