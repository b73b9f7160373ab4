// Control ids of the summary of an import (dialog 123).
#pragma once

#define IDC_SUMMARY_FILE 1060
#define IDC_SUMMARY_ADDED 1061
#define IDC_SUMMARY_UPDATED 1062
#define IDC_SUMMARY_UNCHANGED 1063
#define IDC_SUMMARY_PAST 1064
#define IDC_SUMMARY_NOTES 1065
#define IDC_SUMMARY_ALL_DAY 1066
