#pragma once
// Next on the procedure pages that take no input: the page's printer step (skipped in demo
// mode), its failure message, and the page that follows.

#include "core/app/PageFlow.h"

namespace qx7 {

class CQVJServToolApp;

// Codes shown with message 237 when a step of these pages fails.
inline constexpr int kCodeResetStatisticsFailed = -66;
inline constexpr int kCodeResetIpAddressFailed = -67;
inline constexpr int kCodeResetTubeWarningFailed = -69;

// The printer steps: 279 resets the statistics (237 with -66) and then the IP address (237 with
// -67), both again on the next press after a failure; 172 records the battery and 283 the tube
// pump exchange (237 alone); 281 resets the tube warning (237 with -69); 206 records the
// carriage motor exchange and 148 starts the carriage speed adjustment (237 with the failing
// link step's result code, the session's GetLastResult). The other pages have no step. On
// success (or in demo mode) the answer is GoNext(next page), otherwise -1. Pages with input of
// their own (the menus, 217, 136, 160, 178) and 225 are not handled here and answer -1.
int ServicePageNext(CQVJServToolApp& app, PageId page);

}  // namespace qx7
