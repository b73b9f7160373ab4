// Control ids of the dialog "Wiederholung" (template 116), shared with its script.
#pragma once

#define IDC_RPT_KIND 1060
#define IDC_RPT_INTERVAL 1061
#define IDC_RPT_INTERVAL_SPIN 1062
#define IDC_RPT_UNIT 1063
// Weekly: the label and the seven days, Monday first.
#define IDC_RPT_WEEKDAYS_LABEL 1064
#define IDC_RPT_MONDAY 1065
#define IDC_RPT_SUNDAY 1071
// Monthly: on a day, or on a weekday in a week of the month.
#define IDC_RPT_BY_DAY 1072
#define IDC_RPT_BY_WEEKDAY 1073
#define IDC_RPT_DAY 1074
#define IDC_RPT_DAY_SPIN 1075
#define IDC_RPT_DAY_SUFFIX 1076
#define IDC_RPT_WEEK 1077
#define IDC_RPT_WEEKDAY 1078
#define IDC_RPT_WEEKDAY_SUFFIX 1079
// Yearly: a day and a month.
#define IDC_RPT_DATE_LABEL 1080
#define IDC_RPT_YEAR_DAY 1081
#define IDC_RPT_YEAR_DAY_SPIN 1082
#define IDC_RPT_MONTH 1083
// The end.
#define IDC_RPT_END_NEVER 1084
#define IDC_RPT_END_COUNT 1085
#define IDC_RPT_END_UNTIL 1086
#define IDC_RPT_COUNT 1087
#define IDC_RPT_COUNT_SPIN 1088
#define IDC_RPT_COUNT_SUFFIX 1089
#define IDC_RPT_UNTIL 1090
// The rule in words and its next dates.
#define IDC_RPT_SENTENCE 1091
#define IDC_RPT_DATES 1092
