import QtQuick 2.0

// Date prompt: a calendar preset from a day.month.year or day.month text,
// with a "No year" choice, OK and Cancel; OK hands the chosen date back, and
// whether its year is to be left out.
OverlayForm {
    id: calendarForm

    property var selectFunction

    // The last day and month (a day.month text) up to today, in the latest
    // year that has it (29 February needs a leap year); null for other text.
    function dayMonthToDate(str) {
        var parts = /^(\d{2})\.(\d{2})$/.exec(String(str))
        if (!parts) {
            return null
        }
        var day = parseInt(parts[1], 10)
        var month = parseInt(parts[2], 10) - 1
        var today = new Date()
        for (var year = today.getFullYear(); year > today.getFullYear() - 8; --year) {
            var date = new Date(year, month, day)
            if (date.getMonth() === month && date <= today) {
                return date
            }
        }
        return null
    }

    // Reads day.month.year, or year-month-day as imports store it; anything
    // else gives null.
    function strToDate(str) {
        var iso = /^(\d{4})-(\d{2})-(\d{2})$/.exec(String(str))
        if (iso) {
            return new Date(parseInt(iso[1], 10), parseInt(iso[2], 10) - 1, parseInt(iso[3], 10))
        }
        var parts = String(str).split(".")
        if (parts.length !== 3) {
            return null
        }
        var numbers = []
        for (var i = 0; i < 3; ++i) {
            if (!/^\s*\d+\s*$/.test(parts[i])) {
                return null
            }
            numbers.push(parseInt(parts[i], 10))
        }
        var date = new Date(2000, 0, 1)
        date.setFullYear(numbers[2], numbers[1] - 1, numbers[0])
        return date
    }

    // The first of the month of a day.month.year text whose day that month
    // does not have (31.02.1990); null for any other text.
    function monthWithoutDay(str) {
        var parts = /^\s*(\d{1,2})\.(\d{1,2})\.(\d{4})\s*$/.exec(String(str))
        if (!parts) {
            return null
        }
        var day = parseInt(parts[1], 10)
        var month = parseInt(parts[2], 10) - 1
        var year = parseInt(parts[3], 10)
        if (month < 0 || month > 11) {
            return null
        }
        var first = new Date(year, month, 1)
        var days = new Date(year, month + 1, 0).getDate()
        return day < 1 || day > days ? first : null
    }

    // A typed four-digit year shows that year's page of the shown month.
    function onYearTyped(text) {
        var year = parseInt(text, 10)
        if (text.length === 4 && year >= calendar.minYear && year <= calendar.maxYear) {
            calendar.onShowYear(year)
        }
    }

    function isValidDate(d) {
        return d !== null && d !== undefined && d instanceof Date && !isNaN(d.getTime())
    }

    function show(strDate, _selectFunction) {
        var date = new Date()
        var dayMonth = calendarForm.dayMonthToDate(strDate)
        var withoutDay = calendarForm.monthWithoutDay(strDate)
        noYear.on = dayMonth !== null
        calendar.daySelected = withoutDay === null || withoutDay > date
        if (dayMonth) {
            date = dayMonth
        } else if (calendar.daySelected === false) {
            date = withoutDay
        } else if (strDate) {
            var parsed = calendarForm.strToDate(strDate)
            // A stored date after today opens on today.
            if (calendarForm.isValidDate(parsed) && parsed <= date) {
                date = parsed
            }
        }
        calendar.today = date
        calendar.updatePosition()
        yearField.text = ""
        calendarForm.selectFunction = _selectFunction
        calendarForm.open()
    }

    z: 998

    Rectangle {
        id: panel

        anchors.centerIn: parent
        width: Math.min(calendarForm.width, calendarForm.height) * 0.8
        height: panel.width
        color: "white"
        radius: 2
        border { width: 1; color: "#dddddd" }

        Shadow {
            target: calendar
            horizontalOffset: -1
            verticalOffset: 1
            radius: 2
            samples: 4
        }

        Calendar {
            id: calendar

            objectName: "calendar"
            anchors {
                left: parent.left
                right: parent.right
                top: parent.top
                bottom: noYear.top
                margins: panel.width * 0.05
            }
        }

        // A birthday whose year is not known keeps only day and month.
        CheckBox {
            id: noYear

            objectName: "calendarNoYear"
            anchors { left: calendar.left; bottom: okButton.top; bottomMargin: panel.height * 0.02 }
            height: root.itemHeight * 0.8
            text: qsTr("No year")
            textColor: styles.foreground.textColor
            fontSize: 12
        }

        LineEdit {
            id: yearField

            objectName: "calendarYearField"
            anchors { right: calendar.right; verticalCenter: noYear.verticalCenter }
            width: Math.min(calendar.width / 2, 160)
            height: noYear.height
            placeholderText: qsTr("Year")
            caption: qsTr("Year")
            regExp: /\d{0,4}/
            inputMethodHints: Qt.ImhDigitsOnly
            showClearButton: false
            onTextChanged: calendarForm.onYearTyped(yearField.text)
        }

        Button {
            id: okButton

            objectName: "calendarOkButton"
            anchors { bottom: parent.bottom; bottomMargin: panel.height * 0.05 }
            x: panel.width * 0.05
            width: panel.width / 2 - panel.width * 0.1
            height: root.itemHeight * 0.8
            enabled: calendar.daySelected
            buttonText: qsTr("OK")
            onClicked: {
                calendarForm.close()
                if (calendarForm.selectFunction) {
                    calendarForm.selectFunction(calendar.today, noYear.on)
                }
            }
        }

        Button {
            objectName: "calendarCancelButton"
            anchors { bottom: parent.bottom; bottomMargin: panel.height * 0.05 }
            x: panel.width / 2 + panel.width * 0.05
            width: panel.width / 2 - panel.width * 0.1
            height: root.itemHeight * 0.8
            buttonText: qsTr("Cancel")
            onClicked: calendarForm.close()
        }
    }
}
