// A calculation that cannot go on: what kind of failure it is, the message
// for the user (numbers kept as numbers, see model/message_text.h) and where
// the march stood. Code decides by the kind, never by the words.
#pragma once

#include <exception>
#include <utility>

#include "model/message_text.h"

namespace meltsim {

enum class CalculationErrorKind {
  FloatingPointFault,       // a division by zero, an invalid operation or an overflow
  NotConverged,             // an iteration did not settle within its bound
  FilmSolutionsAlternate,   // the film went back and forth between its two solutions
  FilmNotSolved,            // the film iteration gave up: the solid bed series heats the film
  TooManySteps,             // the screw needs more steps than a run may take
  NoChannel,                // the flight width leaves no channel
  MeltingBeyondScrew,       // melting would start at or beyond the end of the screw
  NoMeltFilm,               // the barrel is not above the melting point where melting starts
  ViscosityOutOfRange,      // the viscosity equation gives zero or infinity
  NoSolidBedVelocity,       // the channel's mass balance gives no positive solid bed velocity
  InputBeyondRange,         // an input so extreme that the set-up itself faults
  BeyondRealScrews,         // inputs no real screw has (a barrel speed beyond any extruder, ...)
  BarrelProfileNotANumber,  // the barrel temperature profile exceeds the doubles
  NotFinite,                // a number of the results is not finite
  ImpossibleResult,         // results that no screw can give
};

class CalculationError : public std::exception {
 public:
  CalculationError(CalculationErrorKind kind, MessageText message)
      : kind(kind), message(std::move(message)) {}

  // The text for the user is `message`, written by the io layer
  // (MessageString); what() only says what this is.
  const char* what() const noexcept override { return "meltsim calculation error"; }

  CalculationErrorKind kind;
  MessageText message;
  // Where the run stood: the step being computed and its FLIGHT, filled in
  // by the march when it passes the error on (0 before the first step).
  int step = 0;
  double flight = 0;
};

}  // namespace meltsim
