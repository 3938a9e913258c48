// Remembered answers: a warning the user has asked not to be shown again.
//
// A command that warns before it does something irreversible (the purchasing
// posting before it deletes what it posted) asks with PromptAsk; when the
// user goes on and asks not to be warned again, the command keeps that
// answer with PromptAnswerSet, and the next run finds it with
// PromptAnswerGet and goes on without asking.  Only an answer that goes on
// is ever kept: a user who declined is asked again next time.
//
// The answers are kept per user (SharedAppBlock::userName) in the registry
// values of the program (qxwreg.h), section "RememberedAnswers", one value
// per user, program and question.  Without a registry (RegInit not called,
// or refused) PromptAnswerOpen gives no store: nothing is remembered, and a
// command then asks every time.
//
// Everything runs on the UI thread; nothing here throws.
#pragma once

// The store of remembered answers, opened for the session's user.
struct BtrvStore;

// An answer: the text kept ("" none), and whether the user asked for it to
// be kept (set by PromptAsk).
struct PromptAnswerBlock {
  char answer[32] = {};
  int remember = 0;
};

// Opens the store of the session's user; null when there is no registry to
// keep answers in.  Close it with BtrvStoreClose, then BtrvStoreFree.
BtrvStore* PromptAnswerOpen();

// The answer kept for `question` of `program` (report or command ids such as
// "RSPOPOST" and "RSWARNPURGINGPURCHTRANS"; blanks around them are ignored)
// into answer->answer ("" when none is kept); answer->remember is cleared.
// Returns 0, or -1 for a null store or null texts (the answer is then "").
// `reserved` is kept for the callers (0).
int PromptAnswerGet(const char* program, const char* question, BtrvStore* store, PromptAnswerBlock* answer,
                    int reserved = 0);

// Keeps answer->answer for `question` of `program`.  Returns 0, or -1 when
// it could not be kept (no store, no registry file, an empty answer).
int PromptAnswerSet(const char* program, const char* question, BtrvStore* store,
                    const PromptAnswerBlock* answer);

// Asks message `messageNumber`, a warning whose buttons are its own
// (messages.txt): the first goes on, the second goes on and asks for the
// answer to be kept, any other (or Esc) declines.  Going on leaves "Y" in
// answer->answer and sets answer->remember for the second button.  Returns
// 0 when the user goes on, 1 when the user declined.
int PromptAsk(int messageNumber, PromptAnswerBlock* answer);

// Closes the store (nothing is kept open between the calls); BtrvStoreFree
// frees it.  Both accept null.
void BtrvStoreClose(BtrvStore* store);
void BtrvStoreFree(BtrvStore* store);
